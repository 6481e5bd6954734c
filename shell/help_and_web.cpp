// Help, the maker's web pages and the About window: all opened by the desktop's default handler,
// which the program does not wait for; a failure it reports later is shown when it comes. Open
// itself throws when the system cannot start or watch the handler (no process or thread left).
#include "shell/tolvarn_main.h"
#include "version.h"

namespace tolvarn {
namespace {

constexpr std::string_view kHelpPath = "Help/index.htm";

}  // namespace

void TolvarnMain::Help1_Click() {
  Check_Dir("Help");
  try {
    if (!platform().files.IsFile(kHelpPath)) {
      ShowMessage("Tolvarn Help File Error",
                  "The help file is either missing or\r\ncorrupted. Reinstall the program\r\n"
                  "to correct the error.\r\n",
                  BoxIcon::Exclamation);
      return;
    }
    platform().launcher.Open(kHelpPath, [this](LaunchFailure) { BrowserFailed(kHelpPath); });
  } catch (const std::exception&) {
    ShowMessage("Tolvarn Help File Error",
                "Unable to opem the help file.\r\nThis may be a permissions problem.",
                BoxIcon::Exclamation);
  }
}

void TolvarnMain::OpenWebPage(std::string_view page) {
  try {
    const std::string address = std::string(kWebSiteBase) + std::string(page);
    platform().launcher.Open(address, [this, address](LaunchFailure) { BrowserFailed(address); });
  } catch (const std::exception& error) {
    ShowMessage(
        "Tolvarn Error",
        std::string("A program error has occured\r\nError Number: 1\r\nError description: ") +
            error.what(),
        BoxIcon::None);
  }
}

void TolvarnMain::BrowserFailed(std::string_view target) {
  ShowMessage("Tolvarn Error", "Unable to launch Browser.", BoxIcon::None);
  SayWhereToOpen(target);
}

void TolvarnMain::Update_Click() {
  OpenWebPage("software/misc/update.htm?ID=2&Ver=" + std::string(kVersionShort));
}

void TolvarnMain::Logo_Click() {
  OpenWebPage("");
}

void TolvarnMain::About_Click() {
  State().RunOnTop = static_cast<int16_t>(Fields().CheckValue(Field::OnTop) + 1);
  platform().window.ShowAbout();
  // Back from the About window the main window keeps on top as before; it is no new activation,
  // so a result waiting for Save stays savable (as after switching to another program).
  if (Fields().CheckValue(Field::OnTop) == 1) platform().window.SetTopMost(true);
}

TolvarnMain::AboutTexts TolvarnMain::About_Load() const {
  return {"About Tolvarn", "Tolvarn", VersionText(), std::string(kWebSiteBase),
          std::string(kCopyright)};
}

}  // namespace tolvarn
