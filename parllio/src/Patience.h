#pragma once

#include <chrono>
#include <functional>

namespace parllio {

// Runs `call`, a system call that may sleep (it returns 0 or -errno), on this
// thread and wakes it with a signal if it still sleeps after `patience`: it
// then fails with -EINTR. Other signals that interrupt it early are ridden out.
//
// The kernel's port claim sleeps for as long as another driver or program holds
// the port, and nothing but a signal ends that sleep. While the call runs, the
// signal this uses has a do-nothing handler; its previous handler and the
// thread's signal mask are put back before returning.
int CallWithPatience(std::chrono::milliseconds patience, const std::function<int()>& call);

} // namespace parllio
