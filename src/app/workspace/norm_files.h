#pragma once
// The norm files of the statistics methods, built from the window: under a progress window with
// "Отмена", with the window busy meanwhile.
#include <set>

class QWidget;

namespace tavlora::app {

class TabHost;

// Builds the missing norm files of the given groups (every norm file of them when force) when
// the norms are switched on or force is given. Returns false when stopped; true when nothing
// was to be done (no session, norms off).
bool ensureNormFiles(QWidget* parent, TabHost& host, bool force, const std::set<int>& groups);

}  // namespace tavlora::app
