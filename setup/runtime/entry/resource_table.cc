// The library's resource table, which the machine's resource calls read
// through the exported "ids_resource_table": the runtime's dialog templates.
#include <string>

#include "entry/dialog_templates.h"
#include "entry/runtime_bitmaps.h"
#include "ui/message_dlg.h"
#include "win/resource.h"

namespace merl {
namespace {

const std::string kPathNameTemplate = pathNameDialogTemplate();
const std::string kLanguageTemplate = languageDialogTemplate();
const std::string kMessageDialog = messageDialogTemplate();
const std::string kCopyTemplate = copyDialogTemplate();
const std::string kSearchTemplate = searchDialogTemplate();

const std::string kBitmaps[] = {placeholderBitmap(2),  placeholderBitmap(3),  placeholderBitmap(4),
                                placeholderBitmap(5),  placeholderBitmap(6),  placeholderBitmap(10),
                                placeholderBitmap(11), placeholderBitmap(12)};
constexpr char kAllFilesText[] = "All files (*.*)";
constexpr char kAllFilesPattern[] = "*.*";

win::ResourceEntry bitmapEntry(int i) {
  return {win::RT_BITMAP_ID, nullptr, static_cast<win::WORD>(kRuntimeBitmapIds[i]), nullptr, kBitmaps[i].data(),
          static_cast<win::DWORD>(kBitmaps[i].size())};
}

const win::ResourceEntry kResources[] = {
    bitmapEntry(0), bitmapEntry(1), bitmapEntry(2), bitmapEntry(3),
    bitmapEntry(4), bitmapEntry(5), bitmapEntry(6), bitmapEntry(7),
    {win::RT_STRING_ID, nullptr, 201, nullptr, kAllFilesText, sizeof kAllFilesText - 1},
    {win::RT_STRING_ID, nullptr, 202, nullptr, kAllFilesPattern, sizeof kAllFilesPattern - 1},
    {win::RT_DIALOG_ID, nullptr, 107, nullptr, kLanguageTemplate.data(), static_cast<win::DWORD>(kLanguageTemplate.size())},
    {win::RT_DIALOG_ID, nullptr, kMessageDialogId, nullptr, kMessageDialog.data(),
     static_cast<win::DWORD>(kMessageDialog.size())},
    {win::RT_DIALOG_ID, nullptr, 1539, nullptr, kPathNameTemplate.data(),
     static_cast<win::DWORD>(kPathNameTemplate.size())},
    {win::RT_DIALOG_ID, nullptr, 1538, nullptr, kCopyTemplate.data(), static_cast<win::DWORD>(kCopyTemplate.size())},
    {win::RT_DIALOG_ID, nullptr, 103, nullptr, kSearchTemplate.data(), static_cast<win::DWORD>(kSearchTemplate.size())},
};

}  // namespace
}  // namespace merl

IDS_WIN_RESOURCE_TABLE(merl::kResources);

namespace merl {

const win::ResourceTable& runtimeResources() { return ids_resource_table; }

}  // namespace merl
