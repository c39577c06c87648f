// The program's resource table: the wizard's dialogs 106 and 104, bitmap 105,
// icon 101 and the restart program as resource 300/30202.
#include <string>

#include "constants.h"
#include "win/resource.h"
#include "wizard/wizard_resources.h"

namespace remvex {

extern const unsigned char kRestartProgramBytes[];
extern const unsigned kRestartProgramSize;

namespace {

const std::string kWizard = WizardDialogTemplate();
const std::string kShared = SharedDialogTemplate();
const std::string kBitmap = WizardBitmapBytes();
const std::string kIconGroup = IconGroupBytes();
const std::string kIconImage = IconImageBytes();

win::ResourceEntry entry(win::WORD type, unsigned id, const std::string& bytes) {
  return {type, nullptr, static_cast<win::WORD>(id), nullptr, bytes.data(), static_cast<win::DWORD>(bytes.size())};
}

const win::ResourceEntry kEntries[] = {
    entry(win::RT_DIALOG_ID, kWizardDialogId, kWizard),
    entry(win::RT_DIALOG_ID, kSharedDialogId, kShared),
    entry(win::RT_BITMAP_ID, kWizardBitmapId, kBitmap),
    entry(win::RT_GROUP_ICON_ID, kMainIconId, kIconGroup),
    entry(win::RT_ICON_ID, 1, kIconImage),
    {static_cast<win::WORD>(kRestartResourceType), nullptr, static_cast<win::WORD>(kRestartResourceId), nullptr,
     kRestartProgramBytes, kRestartProgramSize},
};

}  // namespace
}  // namespace remvex

IDS_WIN_RESOURCE_TABLE(remvex::kEntries);
