// The question about a shared file whose use count reached zero: the pressed
// button's id (1007 "&Yes", 1006 "&No", 1 "No to &All"). The wizard's shared-file
// dialog answers it; until one is set, the file is kept.
#pragma once

#include <functional>
#include <string>

namespace remvex {

inline constexpr int kSharedYes = 1007;
inline constexpr int kSharedNo = 1006;
inline constexpr int kSharedNoToAll = 1;

using SharedQuestion = std::function<int(const std::string& path)>;

// The question in use; empty means "&No".
inline SharedQuestion& SharedFileQuestion() {
  static SharedQuestion question;
  return question;
}

}  // namespace remvex
