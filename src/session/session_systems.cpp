#include "session/session_systems.h"

#include <array>

#include "archive/proxy_settings.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "stakes/stakes_store.h"
#include "workspace/comb_list.h"

namespace tavlora {

namespace {

// The proxy of catalogue requests: the manual proxy when one is set, else none.
ProxyAddress catalogueProxy(const Session& session) {
    try {
        const TProxySettings p = loadProxySettings(session.filePath(".ini"));
        if (p.mode == kProxyModeManual && !p.server.empty()) return {p.server, p.port, p.username, p.password};
    } catch (const EError&) {
        // An unreadable configuration file leaves the request direct.
    }
    return {};
}

SystemsCatalogue catalogueOf(const Session& session, PageFetcher& fetcher, const TSystemsSettings& settings) {
    return SystemsCatalogue(fetcher, settings.url, catalogueProxy(session));
}

bool downloadWith(SystemsCatalogue& catalogue, const Session& session, const TSystemInfo& info, Progress& progress,
                  Interaction& interaction) {
    StatusScope status(progress, fmt(kSystemDataStatus, info.title));
    try {
        const std::string text = catalogue.combinations(info.id, progress);
        storeDownloadedSystem(session.systemsDir(), info, text);
        return true;
    } catch (const EError& e) {
        interaction.error(fmt(kSystemDownloadError, info.id, std::string(e.what())));
        return false;
    }
}

// Downloads again every listed system whose file does not carry the catalogue's date, then
// takes the downloaded marks afresh.
void refreshDownloaded(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                       TSystemsListing& listing, Progress& progress, Interaction& interaction) {
    StatusScope status(progress, kSystemsListStatus);
    SystemsCatalogue catalogue = catalogueOf(session, fetcher, settings);
    // A downloaded system whose file does not carry the catalogue's date changed there: fetch it again.
    bool changed = false;
    for (const TSystemRow& row : listing.rows) {
        if (!row.downloaded || systemFileCurrent(row.file, row.info.created)) continue;
        if (downloadWith(catalogue, session, row.info, progress, interaction)) listing.redownloaded.push_back(row.info.id);
        changed = true;
        status.update(kSystemsListStatus);
    }
    // Downloads may have deleted other systems of the same K: the marks are taken afterwards.
    if (changed) {
        std::vector<TSystemInfo> systems;
        for (const TSystemRow& row : listing.rows) systems.push_back(row.info);
        listing.rows = systemRows(systems, session.systemsDir(), settings.mail);
    }
}

}  // namespace

TSystemsSettings systemsSettings(const Session& session) {
    try {
        return loadSystemsSettings(session.filePath(".ini"));
    } catch (const EError&) {
        return {};
    }
}

void storeSystemsSettings(Session& session, const TSystemsSettings& settings) {
    saveSystemsSettings(session.filePath(".ini"), settings);
}

TSystemsListing listSystems(Session& session, PageFetcher& fetcher, Progress& progress, Interaction& interaction) {
    return listSystems(session, systemsSettings(session), fetcher, progress, interaction);
}

TSystemsListing catalogueSystems(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                                 Progress& progress, Interaction& interaction) {
    if (trimText(settings.url).empty()) return diskSystemsListing(session.systemsDir());
    StatusScope status(progress, kSystemsListStatus);
    SystemsCatalogue catalogue = catalogueOf(session, fetcher, settings);
    TSystemsListing listing;
    try {
        const TSystemListReply reply = catalogue.list(progress);
        listing.fromCatalogue = true;
        listing.skipped = reply.skipped;
        listing.rows = systemRows(reply.systems, session.systemsDir(), settings.mail);
    } catch (const EError& e) {
        listing.available = false;
        listing.error = e.what();
        interaction.error(fmt(kSystemsListError, listing.error));
        listing.rows.push_back(TSystemRow{systemsPlaceholder(), false, false, {}});
    }
    return listing;
}

TSystemsListing listSystems(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                            Progress& progress, Interaction& interaction) {
    TSystemsListing listing = catalogueSystems(session, settings, fetcher, progress, interaction);
    if (listing.fromCatalogue) refreshDownloaded(session, settings, fetcher, listing, progress, interaction);
    // The wheels made on this computer are in no catalogue: they are listed from the disk too.
    if (listing.fromCatalogue || !listing.available)
        for (TSystemRow& row : diskSystemsListing(session.systemsDir()).rows)
            if (row.info.id == kWheelSystemId) listing.rows.push_back(std::move(row));
    return listing;
}

std::optional<std::string> systemCombinations(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                                              const TSystemRow& row, Progress& progress, Interaction& interaction) {
    try {
        if (row.downloaded) {
            std::string text;
            for (const TComb& c : readSystemPositions(row.file, row.info.numbers))
                text += systemLine(c) + "\n";
            return text;
        }
        if (trimText(settings.url).empty()) throw EError(kSystemsUrlMissing);
        StatusScope status(progress, fmt(kSystemDataStatus, row.info.title));
        SystemsCatalogue catalogue = catalogueOf(session, fetcher, settings);
        return catalogue.combinations(row.info.id, progress);
    } catch (const EError& e) {
        interaction.error(fmt(kSystemDownloadError, row.info.id, std::string(e.what())));
        return std::nullopt;
    }
}

bool downloadSystem(Session& session, PageFetcher& fetcher, const TSystemInfo& info, Progress& progress,
                    Interaction& interaction) {
    return downloadSystem(session, systemsSettings(session), fetcher, info, progress, interaction);
}

bool downloadSystem(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher, const TSystemInfo& info,
                    Progress& progress, Interaction& interaction) {
    if (trimText(settings.url).empty()) {
        interaction.error(fmt(kSystemDownloadError, info.id, std::string(kSystemsUrlMissing)));
        return false;
    }
    SystemsCatalogue catalogue = catalogueOf(session, fetcher, settings);
    return downloadWith(catalogue, session, info, progress, interaction);
}

std::optional<int32_t> saveOwnSystem(Session& session, PageFetcher& fetcher, const TSystemData& data,
                                     Progress& progress, Interaction& interaction) {
    return saveOwnSystem(session, systemsSettings(session), fetcher, data, progress, interaction);
}

std::optional<int32_t> saveOwnSystem(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher,
                                     const TSystemData& data, Progress& progress, Interaction& interaction) {
    const char* frame = data.info.id > 0 ? kSystemChangeError : kSystemAddError;
    if (const auto failed = checkSystemInput(data)) {
        interaction.error(fmt(frame, *failed));
        return std::nullopt;
    }
    if (trimText(settings.url).empty()) {
        interaction.error(fmt(frame, std::string(kSystemsUrlMissing)));
        return std::nullopt;
    }
    if (trimText(settings.mail).empty()) {
        interaction.error(fmt(frame, std::string(kSystemsMailMissing)));
        return std::nullopt;
    }
    StatusScope status(progress, fmt(kSystemSaveStatus, data.info.title));
    SystemsCatalogue catalogue = catalogueOf(session, fetcher, settings);
    try {
        return catalogue.save(data, std::string(trimText(settings.mail)), progress);
    } catch (const EError& e) {
        if (data.info.id > 0)
            interaction.error(fmt(kSystemSaveError, data.info.id, std::string(e.what())));
        else
            interaction.error(fmt(frame, std::string(e.what())));
        return std::nullopt;
    }
}

bool deleteOwnSystem(Session& session, PageFetcher& fetcher, const TSystemInfo& info, Progress& progress,
                     Interaction& interaction) {
    return deleteOwnSystem(session, systemsSettings(session), fetcher, info, progress, interaction);
}

bool deleteOwnSystem(Session& session, const TSystemsSettings& settings, PageFetcher& fetcher, const TSystemInfo& info,
                     Progress& progress, Interaction& interaction) {
    const std::string_view mail = trimText(settings.mail);
    if (info.id <= 0 || mail.empty() || !equalsIgnoreCase(trimText(info.ownerMail), mail)) {
        interaction.error(kSystemDeleteNotOwn);
        return false;
    }
    if (trimText(settings.url).empty()) {
        interaction.error(fmt(kSystemDeleteError, std::string(kSystemsUrlMissing)));
        return false;
    }
    if (!interaction.question("Подтверждение", fmt(kSystemDeleteQuestion, info.title), false)) return false;
    StatusScope status(progress, fmt(kSystemDeleteStatus, info.title));
    SystemsCatalogue catalogue = catalogueOf(session, fetcher, settings);
    try {
        catalogue.remove(info, std::string(mail), progress);
        return true;
    } catch (const EError& e) {
        interaction.error(fmt(kSystemDeleteError, std::string(e.what())));
        return false;
    }
}

TSystemPlayPrepared prepareSystemPlay(Session& session, TSystemPlayMode mode, Interaction* interaction) {
    TSystemPlayPrepared p;
    p.mode = mode;
    const TCombsArray& combs = session.combList().combs();
    // The distinct numbers in order of first appearance; there are at most 69.
    std::array<bool, 256> seen{};
    for (const TComb& c : combs) {
        for (uint8_t x : c.n) {
            if (seen[x]) continue;
            seen[x] = true;
            p.numbers.push_back(x);
        }
        if (p.numbers.size() > 68) break;
    }
    if (combs.empty()) {
        if (interaction) interaction->error("Список комбинаций пуст: системная игра невозможна.");
        return p;
    }
    p.system = findSystem(session.systemsDir(), p.numbers, interaction);
    if (!p.system.ok) return p;
    p.comment = systemPlayComment(mode, static_cast<int>(p.numbers.size()), p.system.file);
    p.drawNumber = session.newManualStake(std::nullopt).drawNumber;
    p.ok = true;
    return p;
}

int playSystem(Session& session, const TSystemPlayPrepared& prepared, int32_t drawNumber, int count,
               const std::string& comment, Progress& progress, Interaction& interaction) {
    if (!prepared.ok) return 0;
    if (!session.openStakes(progress, interaction)) return 0;
    TSystemPlayResult r;
    {
        StatusScope status(progress, kSystemPlayStakesStatus);
        r = addSystemStakes(session.stakes(), prepared.system, prepared.mode, session.combList().combs(), drawNumber,
                            count, comment, TStakeKind::System, session.settings(), progress, interaction);
    }
    if (r.ok) session.checkStakes(progress, interaction);
    return r.added;
}

TSystemGenerated generateSystem(Session& session, TWheelOptions options, Progress& progress) {
    TSystemGenerated g;
    options.base = readWheelBase(session.systemsDir(), options.numbers, options.guarantee);
    g.wheel = generateWheel(options, progress);
    g.save = saveWheel(session.systemsDir(), g.wheel);
    return g;
}

}  // namespace tavlora
