// The longest time the client goes without pumping window messages, per trickling server.

#include <cstdio>

#include "tests/support/trickle_scenarios.h"

int main() {
  double worst = 0;
  for (const std::string& name : trickle::Scenarios()) {
    trickle::Run run = trickle::RunScenario(name);
    double gap = run.LongestGap();
    worst = gap > worst ? gap : worst;
    bool right = run.error == run.expectedError && run.body == run.expectedBody;
    std::printf(
        "pump gap %-24s %4.0f ms  (%zu pumps in %.2f s; message waited at most %.1f ms%s)\n",
        name.c_str(), gap * 1000, run.pumps.size(), run.end, run.LongestInputDelay() * 1000,
        right ? "" : ", WRONG OUTCOME");
  }
  std::printf("longest pump gap over the trickling servers: %.0f ms (limit 300 ms)\n",
              worst * 1000);
  return worst < 0.3 ? 0 : 1;
}
