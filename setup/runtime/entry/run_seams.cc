// The entry's seams.
#include "entry/run_seams.h"

namespace merl {

RunSeams& runSeams() {
  static RunSeams seams;
  return seams;
}

}  // namespace merl
