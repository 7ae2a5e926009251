// Messages reach every registered sink; the console sink splits them between
// the standard output and the error stream.
#include <cstdio>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

void tour_messages() {
  section("messages");
  quarn::message("[demo] an ordinary message, %d sink registered", 1);
  quarn::verbose("[demo] a verbose trace: the console shows it, a debugger sink would not");
  quarn::warning("[demo] a warning goes to the error stream");
  quarn::v_assert_fail("count == 3", "demo/tour_messages", 17, "tour_messages");
  std::fflush(stderr);
  quarn::message("[demo] a failed check is reported and execution goes on");
}

}  // namespace demo
