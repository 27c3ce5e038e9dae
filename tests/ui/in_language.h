// Runs a test's texts in one interface language and puts the process's choice back after it.
#pragma once

#include "common/process_state.h"

namespace kx {

class InLanguage {
  public:
    explicit InLanguage(bool chinese) : saved_(UseChinese) { UseChinese = chinese; }
    ~InLanguage() { UseChinese = saved_; }
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;

  private:
    bool saved_;
};

}  // namespace kx
