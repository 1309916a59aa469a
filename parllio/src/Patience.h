#pragma once

#include <chrono>
#include <functional>

namespace parllio {

// Runs `call`, a system call that may sleep (it returns 0 or -errno), once on
// this thread and wakes it with a signal if it still sleeps after `patience`:
// it then fails with -EINTR.
//
// The kernel's port claim sleeps for as long as another driver or program holds
// the port, and nothing but a signal ends that sleep. While the call runs, the
// signal this uses has a do-nothing handler and every other signal is blocked
// in this thread; the previous handler and the thread's signal mask are put
// back before returning, and a signal that came meanwhile is delivered then.
int CallWithPatience(std::chrono::milliseconds patience, const std::function<int()>& call);

} // namespace parllio
