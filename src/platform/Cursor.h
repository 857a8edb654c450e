#pragma once
// The mouse cursor. Hide and unhide nest: every hide needs its own unhide.

namespace platform {

class Cursor {
  public:
    virtual ~Cursor() = default;
    virtual void hide() = 0;
    virtual void unhide() = 0;
};

} // namespace platform
