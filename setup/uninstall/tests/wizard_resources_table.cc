// The test program's own resource table: the wizard's dialogs and bitmap, so
// that in-process tests make them from resources as the program does.
#include <string>

#include "constants.h"
#include "win/resource.h"
#include "wizard/wizard_resources.h"

namespace {

const std::string kWizard = remvex::WizardDialogTemplate();
const std::string kShared = remvex::SharedDialogTemplate();
const std::string kBitmap = remvex::WizardBitmapBytes();

win::ResourceEntry entry(win::WORD type, unsigned id, const std::string& bytes) {
  return {type, nullptr, static_cast<win::WORD>(id), nullptr, bytes.data(), static_cast<win::DWORD>(bytes.size())};
}

const win::ResourceEntry kEntries[] = {
    entry(win::RT_DIALOG_ID, remvex::kWizardDialogId, kWizard),
    entry(win::RT_DIALOG_ID, remvex::kSharedDialogId, kShared),
    entry(win::RT_BITMAP_ID, remvex::kWizardBitmapId, kBitmap),
};

}  // namespace

IDS_WIN_RESOURCE_TABLE(kEntries);
