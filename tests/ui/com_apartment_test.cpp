// The window's thread enters COM once and stays: a shell verb that finishes after its call
// returned still finds the apartment.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include <thread>

#include "ui/com_apartment.h"

namespace kx {
namespace {

TEST(WindowThreadApartment, IsEnteredOnceAndKeptApartmentThreaded) {
    HRESULT again = E_FAIL;
    HRESULT otherModel = E_FAIL;
    std::thread([&] {
        EnterWindowThreadApartment();
        // Still inside: a second entry of the same model only counts up, another model is
        // refused because the thread already lives in a single-threaded apartment.
        again = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        otherModel = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(again))
            ::CoUninitialize();
        ::CoUninitialize();
    }).join();
    EXPECT_EQ(again, S_FALSE);
    EXPECT_EQ(otherModel, RPC_E_CHANGED_MODE);
}

}  // namespace
}  // namespace kx
#endif
