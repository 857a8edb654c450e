#pragma once

namespace pomodoro {

enum class Phase { focus, breakTime };

} // namespace pomodoro
