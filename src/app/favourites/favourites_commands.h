#pragma once
// The commands of favourite methods and of the help: "Избранные статистики" (`FiltersManager`,
// the manager dialog), "Все доступные статистики" (`FiltersReset`), the description window of a
// method (also opened by the statistics tab and by the manager) and "Справка" (`Help`, the help
// window at its index). A changed choice of methods is saved to the method file, the registry is
// rebuilt from it, the method lists are refilled and the views recomputed.
#include <QPointer>
#include <QString>

class QWidget;

namespace tavlora::app {

class TabHost;
class HelpWindow;

inline constexpr const char* kFiltersResetQuestion = "Вы действительно хотите сбросить список избранных фильтров?";

class FavouritesCommands {
public:
    // window: the parent of the dialogs and windows.
    FavouritesCommands(TabHost& host, QWidget* window) : host_(host), window_(window) {}

    void buildCommands();
    // Opens the manager; true when it was confirmed with OK.
    bool manageFavourites();
    // Asks the reset question (No by default); on Yes every method becomes favourite.
    bool resetFavourites();
    // The description window of a method (registry index), modal over parent (the frame when null).
    void describeMethod(int methodIndex, QWidget* parent = nullptr);
    // Shows the help window (one for the frame), at the help index when it is new.
    HelpWindow* showHelp();
    HelpWindow* helpWindow() const;

private:
    // Saves the method file with favourites, rebuilds the registry from it, refills the method
    // lists and recomputes the views.
    void storeAndReload();

    TabHost& host_;
    QWidget* window_;
    QPointer<HelpWindow> help_;
};

}  // namespace tavlora::app
