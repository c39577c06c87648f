// Numbered actions that hand work to an outside library: f34 (an internet
// transfer to a local path).
#include <vector>

#include "entry/internet_transfer.h"
#include "interp/action_params.h"
#include "run.h"
#include "script/expansion.h"

namespace merl {

namespace {

constexpr std::size_t kTransferTextSize = 30720;

}  // namespace

}  // namespace merl

extern "C" win::INT f34(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText || params->runState == kStateTest) return 0;
  char field[kFieldSize];
  char local[kFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  int flags = ParamNumber(field);
  at = NextParamField(field, sizeof field, at);
  ExpandVars256(local, field);
  std::vector<char> text(kTransferTextSize);
  ExpandVars(text.data(), at, text.size());
  return InternetTransfer(text.data(), local, ~flags, 0, 0, 0) != 0 ? 1 : 0;
}
