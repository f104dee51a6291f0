#pragma once
// The program settings commands of the "Программа" menu: "Параметры" (the dialog "Параметры
// системы") and "Формулы шинковки". A confirmed record is saved to the configuration file, the
// registry is rebuilt from it (instance ranges and shredding captions follow the settings), the
// norm files of the changed groups are built and the views recomputed.
#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "core/settings.h"

class QWidget;

namespace tavlora::app {

class TabHost;

inline constexpr const char* kConfigSavingText = "Сохранение файла конфигурации...";

class SettingsCommands {
public:
    // window: the parent of the dialogs and of the norm build's progress window.
    SettingsCommands(TabHost& host, QWidget* window) : host_(host), window_(window) {}

    void buildCommands();
    void editSettings();
    // Stores a confirmed settings record: save, registry rebuild, norm groups, views.
    void applySettings(const TConfigData& config);
    void editShredding();
    void applyShredding(const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits);

private:
    // Saves the method file, rebuilds the registry from it and refills the method lists, so that
    // favourites and captions survive the rebuild.
    void reloadMethodLists();

    TabHost& host_;
    QWidget* window_;
};

}  // namespace tavlora::app
