#include "BusyWait.h"

namespace qv4130 {

void CountDelay(std::int32_t passes) {
    volatile std::int32_t counter = 0;
    while (counter < passes) {
        counter = counter + 1;
    }
}

} // namespace qv4130
