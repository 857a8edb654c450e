// The control window's sound output pop-up, and following changes made elsewhere.

#include "app/BlackoutController.h"
#include "display/AudioController.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "ui/StyledPopUpButton.h"

#include <algorithm>

void BlackoutController::populateAudioDevices() {
    if (!audioOutputPopup) return;
    audioOutputPopup->removeAllItems();
    audioDeviceIDs.clear();
    const auto current = AudioController::getDefaultOutputDevice();
    for (const auto& device : AudioController::listOutputDevices()) {
        audioOutputPopup->addItem(device.name);
        audioDeviceIDs.push_back(device.id);
        if (current && device.id == *current)
            audioOutputPopup->selectItem(int(audioDeviceIDs.size()) - 1);
    }
}

void BlackoutController::audioOutputChanged(appkit::PopUpButton& sender) {
    const int index = sender.indexOfSelectedItem();
    if (index < 0 || index >= int(audioDeviceIDs.size())) return;
    AudioController::setDefaultOutputDevice(audioDeviceIDs[size_t(index)]);
    updateVolumeSlidersEnablement();
}

void BlackoutController::syncAudioOutputDeviceUI() {
    if (!audioOutputPopup || !controlWindow) return;
    audioOutputPopup->setEnabled(true);
    const auto device = AudioController::getDefaultOutputDevice().value_or(0);
    auto it = std::find(audioDeviceIDs.begin(), audioDeviceIDs.end(), device);
    if (it != audioDeviceIDs.end())
        audioOutputPopup->selectItem(int(it - audioDeviceIDs.begin()));
    else
        populateAudioDevices();
    updateVolumeSlidersEnablement();
}

void BlackoutController::installAudioOutputListener() {
    auto* audio = platform::current().audio;
    if (!audio) return;
    // May be called on an audio thread: it only queues work for the main one.
    audio->addPropertyListener(platform::kAudioObjectSystemObject,
                               AudioController::defaultOutputDeviceAddress(), [] {
                                   platform::mainQueue().async([] {
                                       if (hasShared()) shared().syncAudioOutputDeviceUI();
                                   });
                                   return platform::kAudioNoErr;
                               });
}
