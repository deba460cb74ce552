// The update tab's handlers: the Update button and the events of the window's TCP client. The
// rules live in the core; these read the controls, move bytes and show the outcome.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "app/frmPatcher.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/sckHTTP.h"
#include "update/connection_messages.h"
#include "update/request.h"
#include "update/response.h"
#include "update/update.h"

namespace korrin {
namespace {

// The running program's own file, which no update script may delete or overwrite.
std::string OwnExecutableName() {
    return QFile::encodeName(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
        .toStdString();
}

}  // namespace

void frmPatcher::BuildUpdateConnection() {
    sckHTTP = new platform::sckHTTP(tabForm[2]);
    sckHTTP->setObjectName(QStringLiteral("sckHTTP"));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(sckHTTP, &platform::sckHTTP::Connected, this, [this] { sckHTTP_Connect(); });
    connect(sckHTTP, &platform::sckHTTP::DataArrival, this,
            [this](qint64 bytesTotal) { sckHTTP_DataArrival(bytesTotal); });
    connect(sckHTTP, &platform::sckHTTP::Closed, this, [this] { sckHTTP_Close(); });
    connect(sckHTTP, &platform::sckHTTP::Error, this,
            [this](const QString& reason) { sckHTTP_Error(reason); });
}

void frmPatcher::Command1_Click() {
    const std::optional<update::UpdateAddress> address =
        update::SplitUpdateAddress(platform::ToCodePage(txtUpdateUrl->text()));
    if (!address) {
        platform::ShowMessage(this, QString::fromLatin1(update::kBadAddressMessage));
        return;
    }
    updatePath = address->updatePath;
    // A second click drops the first connection with whatever it had received.
    sckHTTP->Close();
    reception.Clear();
    updateConnected_ = false;
    sckHTTP->Connect(platform::FromCodePage(address->host), update::kUpdatePort);
}

void frmPatcher::sckHTTP_Connect() {
    updateConnected_ = true;
    sckHTTP->SendData(QByteArray::fromStdString(
        update::BuildRequest(updatePath, platform::ToCodePage(sckHTTP->RemoteHost()))));
    reception.Clear();
    // Events already waiting are not run from here: they come from the event loop as soon as
    // this returns, with the reception just as clean, while running them here would nest a
    // second Update click inside this handler.
}

void frmPatcher::sckHTTP_DataArrival(qint64 /*bytesTotal*/) {
    const QByteArray data = sckHTTP->GetData();
    reception.Append(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    if (reception.overLimit()) {
        // A response that never ends would otherwise hold the tab until the server gives up.
        sckHTTP->Close();
        platform::ShowMessage(this,
                              platform::FromCodePage(update::JudgeResponse(reception).message));
        reception.Clear();
        return;
    }
    const std::optional<float> twips =
        reception.BarWidth(static_cast<float>(pertotal->width() * kTwipsPerPixel));
    if (!twips) return;
    // The box clips the bar, so nothing past its width can show; stopping there keeps the pixel
    // count in range however small the announced length is beside what arrives.
    const double pixels = std::min<double>(*twips / kTwipsPerPixel, pertotal->width());
    perDone->resize(static_cast<int>(std::lround(pixels)), perDone->height());
}

void frmPatcher::sckHTTP_Close() {
    setAboutText(QString());
    sckHTTP->Close();
    const update::UpdateOutcome outcome = update::FinishUpdate(
        platform::FileSystem::Default(), QFile::encodeName(programFolder()).toStdString(),
        reception, OwnExecutableName());
    reception.Clear();
    for (const std::string& note : outcome.notes) qWarning("update: %s", note.c_str());
    if (outcome.completed) setAboutText(platform::FromCodePage(outcome.description));
    platform::ShowMessage(this, platform::FromCodePage(outcome.message));
    if (outcome.completed) emit reloadRequested(platform::FromCodePage(outcome.description));
}

void frmPatcher::sckHTTP_Error(const QString& reason) {
    reception.Clear();
    const std::string host = platform::ToCodePage(sckHTTP->RemoteHost());
    const std::string why = platform::ToCodePage(reason);
    platform::ShowMessage(
        this, platform::FromCodePage(updateConnected_ ? update::ConnectionBrokeMessage(host, why)
                                                      : update::ConnectFailedMessage(host, why)));
}

}  // namespace korrin
