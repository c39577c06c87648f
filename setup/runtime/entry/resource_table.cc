// The library's resource table, which the machine's resource calls read
// through the exported "ids_resource_table": the runtime's dialog templates.
#include <string>

#include "entry/dialog_templates.h"
#include "ui/message_dlg.h"
#include "win/resource.h"

namespace merl {
namespace {

const std::string kPathNameTemplate = pathNameDialogTemplate();
const std::string kLanguageTemplate = languageDialogTemplate();
const std::string kMessageDialog = messageDialogTemplate();

const win::ResourceEntry kResources[] = {
    {win::RT_DIALOG_ID, nullptr, 107, nullptr, kLanguageTemplate.data(), static_cast<win::DWORD>(kLanguageTemplate.size())},
    {win::RT_DIALOG_ID, nullptr, kMessageDialogId, nullptr, kMessageDialog.data(),
     static_cast<win::DWORD>(kMessageDialog.size())},
    {win::RT_DIALOG_ID, nullptr, 1539, nullptr, kPathNameTemplate.data(),
     static_cast<win::DWORD>(kPathNameTemplate.size())},
};

}  // namespace
}  // namespace merl

IDS_WIN_RESOURCE_TABLE(merl::kResources);

namespace merl {

const win::ResourceTable& runtimeResources() { return ids_resource_table; }

}  // namespace merl
