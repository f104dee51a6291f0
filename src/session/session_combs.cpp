// The combination list of the session, kept apart from session.cpp so that the session's users
// do not all compile the combination list's header.
#include "session/session.h"
#include "workspace/comb_list.h"

namespace tavlora {

void SessionCombListDeleter::operator()(TCombList* list) const { delete list; }

TCombList& Session::combList() {
    if (!combs_) combs_.reset(new TCombList(filePath(".~buff")));
    return *combs_;
}

}  // namespace tavlora
