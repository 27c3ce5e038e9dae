// Whether the tests run under Wine rather than on Windows: some answers of the system are
// fixed under Wine (no USN journal) and only recorded on Windows.
#pragma once

namespace kx::testing {

bool RunningUnderWine();

}  // namespace kx::testing
