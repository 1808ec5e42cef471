#include "runtime/exit_procedures.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {

std::vector<void (*)()>& Procedures() {
  static std::vector<void (*)()> procedures;
  return procedures;
}

}  // namespace

void AddExitProcedure(void (*procedure)()) {
  auto& procedures = Procedures();
  if (std::find(procedures.begin(), procedures.end(), procedure) == procedures.end()) {
    procedures.push_back(procedure);
  }
}

void RunExitProcedures() {
  auto& procedures = Procedures();
  std::exception_ptr first;
  // A procedure may register another one: take them one at a time from the end.
  while (!procedures.empty()) {
    void (*procedure)() = procedures.back();
    procedures.pop_back();
    try {
      procedure();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}
