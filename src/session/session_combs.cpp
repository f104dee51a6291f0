// The combination list of the session, kept apart from session.cpp: the combination list's
// header and the statistics headers each define a filter mode named TFilterMode and cannot be
// included together.
#include "session/session.h"
#include "workspace/comb_list.h"

namespace tavlora {

void SessionCombListDeleter::operator()(TCombList* list) const { delete list; }

TCombList& Session::combList() {
    if (!combs_) combs_.reset(new TCombList(filePath(".~buff")));
    return *combs_;
}

}  // namespace tavlora
