#pragma once
// The wheeling systems of an open data folder: the catalogue list, download, own systems, system
// play from the combination list and the wheel generator. The "Системы" tab, its dialogs and the
// command line call only these.
//
// The catalogue is asked directly, or through the manual proxy of the PROXY section when one is
// set (the automatic proxy search serves the draw download only).
#include <cstdint>
#include <optional>
#include <string>

#include "archive/http_client.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "stakes/systems.h"
#include "stakes/systems_catalogue.h"
#include "stakes/wheel_generator.h"

namespace tavlora {

class Session;

// Captions and hints of the two system-play actions and of the tab's switch.
inline constexpr const char* kSystemStakeAllCaption = "Системная игра по списку системы";
inline constexpr const char* kSystemStakeAllHint =
    "Системная игра по всем комбинациям выбранной системы (даже если их нет в списке комбинаций)";
inline constexpr const char* kSystemStakeFilterCaption = "Системная игра по списку комбинаций";
inline constexpr const char* kSystemStakeFilterHint =
    "Системная игра только по комбинациям, которые есть и в системе и в списке комбинаций";
inline constexpr const char* kSystemsOnCaption = "Системная игра";
inline constexpr const char* kSystemPlayWaitStatus = "Подождите пожалуйста...";
inline constexpr const char* kSystemPlayStakesStatus = "Создание ставок...";
// Shown when an own system is saved or deleted while no e-mail is set.
inline constexpr const char* kSystemsMailMissing =
    "Не указан адрес электронной почты: он нужен, чтобы отличать Ваши системы от чужих. Укажите его "
    "в параметрах программы (ключ Mail раздела [SYSTEMS] файла Tavlora_5d69.ini).";
inline constexpr const char* kSystemsUrlMissing =
    "Адрес каталога систем не задан: укажите его в параметрах программы (ключ Url раздела [SYSTEMS] "
    "файла Tavlora_5d69.ini).";

// The SYSTEMS section of the session's <base>.ini (read at each call: it is small). A file that
// cannot be read gives the defaults.
TSystemsSettings systemsSettings(const Session& session);
// Writes the section (throws EError "Ошибка записи в файл конфигурации!\r\r<reason>").
void storeSystemsSettings(Session& session, const TSystemsSettings& settings);

// The list of systems: with a catalogue address, the catalogue's rows (a downloaded system whose
// file time is not within 2 s of its creation date is downloaded again first); when the catalogue
// gives no list, kSystemsListError is shown and the placeholder row alone is listed. With no
// address, the system files on disk. The wheels made on this computer (id 0) are in no catalogue:
// with an address they are listed from the disk after the catalogue's rows. Status
// "Загрузка списка систем..." while it runs.
TSystemsListing listSystems(Session& session, PageFetcher& fetcher, Progress& progress, Interaction& interaction);

// The same with given settings instead of those of <base>.ini (the command line's --url).
TSystemsListing listSystems(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                            Progress& progress, Interaction& interaction);

// The catalogue's rows as they are (nothing downloaded): what a command looks an entry up in.
// With no address, the files on disk. A catalogue that gives no list is shown as kSystemsListError
// and gives the placeholder row alone (available false).
TSystemsListing catalogueSystems(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                                 Progress& progress, Interaction& interaction);

// The combination lines of a row: the file's lines when it is downloaded, else the catalogue's
// (not stored). Failures are shown (kSystemDownloadError) and give nullopt.
std::optional<std::string> systemCombinations(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                                              const TSystemRow& row, Progress& progress, Interaction& interaction);

// Downloads one catalogue entry into the systems folder (storeDownloadedSystem). Failures are
// shown as kSystemDownloadError and give false.
bool downloadSystem(Session& session, PageFetcher& fetcher, const TSystemInfo& info, Progress& progress,
                    Interaction& interaction);
bool downloadSystem(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher, const TSystemInfo& info,
                    Progress& progress, Interaction& interaction);

// Saves an own system in the catalogue: the six checks first (the first failing one is shown),
// the user's mail required (kSystemsMailMissing), then the save (info.id <= 0: a new system).
// Returns the id the catalogue gave; failures are shown (kSystemAddError for a new system,
// kSystemChangeError for an existing one) and give nullopt.
std::optional<int32_t> saveOwnSystem(Session& session, PageFetcher& fetcher, const TSystemData& data,
                                     Progress& progress, Interaction& interaction);
std::optional<int32_t> saveOwnSystem(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                                     const TSystemData& data, Progress& progress, Interaction& interaction);

// Deletes an own system from the catalogue: refused with kSystemDeleteNotOwn (shown) unless the
// owner's mail equals the user's without regard to case; then asks kSystemDeleteQuestion through
// interaction (No ends it), then deletes (failures shown as kSystemDeleteError). The system's file
// on disk stays: it still plays. Returns whether the catalogue deleted it.
bool deleteOwnSystem(Session& session, PageFetcher& fetcher, const TSystemInfo& info, Progress& progress,
                     Interaction& interaction);
bool deleteOwnSystem(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher, const TSystemInfo& info,
                     Progress& progress, Interaction& interaction);

// What system play from the combination list needs before the multi-stake dialog.
struct TSystemPlayPrepared {
    bool ok = false;
    TSystemPlayMode mode = TSystemPlayMode::All;
    TByteArray numbers;        // distinct numbers of the combination list, in order of appearance
    TSystemLookup system;      // the system for them, its positions mapped onto the numbers
    std::string comment;       // "Системная игра для %d чисел [вся система]: %s" / "... [комбинации]: %s"
    int32_t drawNumber = 0;    // the next draw at the current offset
};

// Collects the distinct numbers of the combination list and finds the system for them. Not ok
// when the list is empty or no system is found (the "not found" box goes to interaction when given).
TSystemPlayPrepared prepareSystemPlay(Session& session, TSystemPlayMode mode, Interaction* interaction);

// Adds the stakes of kind 4 ("Система") of a prepared play for count draws from drawNumber with the
// comment, then checks all stakes when every addition succeeded. Opens the stakes file first.
// Returns the number of system combinations staked.
int playSystem(Session& session, const TSystemPlayPrepared& prepared, int32_t drawNumber, int count,
               const std::string& comment, Progress& progress, Interaction& interaction);

// Generates a wheel (starting also from the complement of a stored wheel for K-1 numbers) and
// saves it in the systems folder as "5-KK-T_0000.dat" unless a smaller one is there.
struct TSystemGenerated {
    TWheelResult wheel;
    TWheelSave save;
};
TSystemGenerated generateSystem(Session& session, TWheelOptions options, Progress& progress);

}  // namespace tavlora
