#include "session/session_download.h"

#include "session/session.h"

namespace tavlora {

SessionDownloadResult downloadDraws(Session& session, PageFetcher& fetcher, TProxySettings& proxy,
                                    const DownloadRequest& request, Progress& progress, Interaction& interaction,
                                    std::function<void(const std::string&)> waitText) {
    SessionDownloadResult r;
    if (!session.archiveReadWhole()) {
        r.download.end = DownloadEnd::NotConfigured;
        r.download.error = kDownloadArchiveNotWhole;
        interaction.error(kDownloadArchiveNotWhole);
        return r;
    }
    DrawDownload download(session.archive(), fetcher, proxy, session.filePath(".ini"));
    download.onWaitText(std::move(waitText));
    r.download = download.run(request, progress, interaction);
    // The stakes are checked against the draws that came; with none, nothing changed for them.
    if (!r.download.appended.empty()) r.stakesChecked = session.checkStakes(progress, interaction);
    return r;
}

}  // namespace tavlora
