// The update tab's handlers: the Update button and the events of the window's TCP connection.
// The rules of the update live in src/update; these move bytes and show the outcome.

#include "update/update.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/latin1.h"
#include "update/connection_messages.h"
#include "update/request.h"
#include "update/response.h"
#include "window/window_model.h"

namespace korrin::window {

void WindowModel::Command1_Click() {
    update::UpdateAddress address;
    if (const Status read = update::ReadUpdateAddress(Utf8ToLatin1(txtUpdateUrl_), &address);
        !read.ok()) {
        ShowMessage(read.reason);
        return;
    }
    updatePath_ = address.updatePath;
    updateHost_ = address.host;
    updateHostHeader_ = address.HostHeader();
    // A second click drops the first connection with whatever it had received.
    machine_.sckHTTP.Close();
    reception_.Clear();
    updateConnected_ = false;
    updateWaiting_ = true;
    machine_.sckHTTP.Connect(address.host, address.port);
    ArmSilenceTimer(update::kSilenceLimitSeconds);
}

void WindowModel::sckHTTP_Connect() {
    updateConnected_ = true;
    machine_.sckHTTP.SendData(update::BuildRequest(updatePath_, updateHostHeader_));
    reception_.Clear();
    ArmSilenceTimer(update::kSilenceLimitSeconds);
    // Events already waiting are not run from here: they come from the event loop as soon as
    // this returns, with the reception just as clean, while running them here would nest a
    // second Update click inside this handler.
}

void WindowModel::tmrSilence_Timer() {
    if (!updateWaiting_) return;
    // A server that accepts and then says nothing would hold the tab for ever.
    updateWaiting_ = false;
    machine_.sckHTTP.Close();
    reception_.Clear();
    ShowMessage(update::TimedOutMessage(updateHost_, update::kSilenceLimitSeconds));
}

void WindowModel::ArmSilenceTimer(int seconds) {
    if (machine_.armSilenceTimer) machine_.armSilenceTimer(seconds);
}

void WindowModel::sckHTTP_DataArrival(std::size_t /*bytesTotal*/) {
    reception_.Append(machine_.sckHTTP.GetData());
    ArmSilenceTimer(update::kSilenceLimitSeconds);
    if (reception_.overLimit()) {
        // A response that never ends would otherwise hold the tab until the server gives up.
        updateWaiting_ = false;
        ArmSilenceTimer(0);
        machine_.sckHTTP.Close();
        ShowMessage(update::JudgeResponse(reception_).message);
        reception_.Clear();
        return;
    }
    const std::optional<double> share = reception_.ReceivedShare();
    if (!share) return;
    const float twips = static_cast<float>(*share * (kBarBoxPixels * kTwipsPerPixel));
    // The box clips the bar, so nothing past its width can show; stopping there keeps the pixel
    // count in range however small the announced length is beside what arrives.
    const double pixels = std::min<double>(twips / kTwipsPerPixel, kBarBoxPixels);
    progressPixels_ = static_cast<int>(std::lround(pixels));
    view_.SetProgressWidth(progressPixels_);
}

void WindowModel::sckHTTP_Close() {
    updateWaiting_ = false;
    ArmSilenceTimer(0);
    txtAbout_.clear();
    view_.SetText(Control::txtAbout, txtAbout_);
    machine_.sckHTTP.Close();
    const update::UpdateOutcome outcome = update::FinishUpdate(machine_.fs, machine_.program.folder,
                                                               reception_, machine_.program.name);
    reception_.Clear();
    if (outcome.completed) {
        txtAbout_ = Latin1ToUtf8(outcome.description);
        view_.SetText(Control::txtAbout, txtAbout_);
    }
    ShowMessage(update::MessageWithSteps(outcome));
    if (outcome.completed) machine_.reload(txtAbout_);
}

void WindowModel::sckHTTP_Error(const std::string& reason) {
    updateWaiting_ = false;
    ArmSilenceTimer(0);
    reception_.Clear();
    const std::string host = machine_.sckHTTP.RemoteHost();
    ShowMessage(updateConnected_ ? update::ConnectionBrokeMessage(host, reason)
                                 : update::ConnectFailedMessage(host, reason));
}

}  // namespace korrin::window
