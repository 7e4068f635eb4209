#include "online/updatecheck.h"

#include "online/downloaddlg.h"
#include "online/webaccess.h"
#include "platform/messages.h"
#include "platform/moduleversion.h"
#include "platform/serviceaddress.h"
#include "text/strings.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

bool ProgramFileVersion(kelvara::PackedVersion& version)
{
    CModuleVersion module;
    if (!module.LoadFromModule())
        return false;
    version.high = module.dwFileVersionMS;
    version.low = module.dwFileVersionLS;
    return true;
}
} // namespace

void CheckForUpdates(QWidget* parent)
{
    kelvara::CheckForUpdatesAgainst(parent, &ProgramFileVersion);
}

namespace kelvara {

void CheckForUpdatesAgainst(QWidget* parent, const VersionSource& programVersion)
{
    CDownloadDlg dialog(parent);
    dialog.SetOperation(LoadString(IDS_RETRIEVING_UPDATE));
    const std::string service = UpdateServiceAddress();
    dialog.SetUrl(BuildVersionQueryUrl(service, LoadString(IDS_APP_TITLE)));
    if (dialog.exec() != 1)
        return;

    PackedVersion own;
    std::string text;
    const WebAccess* web = GetWebAccess();
    if (web && programVersion && programVersion(own) &&
        web->xmlFileNodeText(dialog.GetFileName(), kVersionQuery, text)) {
        PackedVersion latest;
        ParseVersionText(text, latest); // text that is no version reads as 0.0.0.0
        if (IsNewerVersion(latest, own)) {
            if (ShowMessage(IDS_NEWER_VERSION, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return;
            std::string fileName;
            if (web->xmlFileNodeText(dialog.GetFileName(), kFileNameQuery, fileName) && !fileName.empty()) {
                QDesktopServices::openUrl(QUrl(QString::fromStdString(BuildDownloadUrl(service, fileName))));
            } else {
                // The user was promised a download that cannot be addressed; say so rather than
                // do nothing.
                ShowMessage(IDS_NO_DOWNLOAD_NAMED, MB_OK | MB_ICONEXCLAMATION);
            }
            return;
        }
    }
    ShowMessage(IDS_LATEST_VERSION, MB_OK | MB_ICONINFORMATION);
}

} // namespace kelvara
