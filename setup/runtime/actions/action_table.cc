// One table of the numbered actions by export name.
#include "actions/action_table.h"

namespace merl {

namespace {

struct OwnExport {
  std::string_view name;
  NumberedAction action;
};

constexpr OwnExport kOwnExports[] = {
    {"f0", f0}, {"f1", f1}, {"f2", f2}, {"f3", f3}, {"f21", f21}, {"f25", f25}, {"f35", f35},
    {"f8", f8}, {"f9", f9}, {"f11", f11}, {"f17", f17}, {"f12", f12}, {"f19", f19},
    {"f13", f13}, {"f22", f22},
    {"f16", f16}, {"f27", f27}, {"f15", f15}, {"f20", f20}, {"f28", f28},
    {"f29", f29}, {"f34", f34}, {"f33", f33}, {"f30", f30}, {"f10", f10},
};

}  // namespace

NumberedAction FindOwnExport(std::string_view name) {
  for (const OwnExport& e : kOwnExports)
    if (e.name == name) return e.action;
  return nullptr;
}

}  // namespace merl
