// The library's resource table, which the machine's resource calls read
// through the exported "ids_resource_table". No resource is in it yet.
#include "win/resource.h"

namespace merl {
namespace {

const win::ResourceEntry kResources[0] = {};

}  // namespace
}  // namespace merl

IDS_WIN_RESOURCE_TABLE(merl::kResources);
