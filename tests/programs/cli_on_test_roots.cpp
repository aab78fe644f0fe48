// spindra-update as the tests run it on hidraw: the sysfs and /dev roots come from
// SPINDRA_TEST_SYSFS and SPINDRA_TEST_DEV, so that a prepared tree stands in for the
// machine's. The shipped program has no way to be pointed elsewhere.
#include <cstdlib>

#include "programs/cli/command_line.h"

namespace {

std::string fromEnvironment(const char* name, const std::string& otherwise) {
  const char* value = std::getenv(name);
  return value ? value : otherwise;
}

}  // namespace

int main(int argc, char** argv) {
  const hidraw::Roots defaults;
  const hidraw::Roots roots{fromEnvironment("SPINDRA_TEST_SYSFS", defaults.sysfs),
                            fromEnvironment("SPINDRA_TEST_DEV", defaults.dev)};
  return cli::run(argc, argv, roots);
}
