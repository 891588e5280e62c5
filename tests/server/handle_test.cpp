// The owning wrappers of the Win32 and COM base: whatever happens to a
// wrapper (moved, reset, handed over, or left by an exception), what it
// holds is released exactly once.
#include "win32com/dispatch_arguments.h"
#include "win32com/unique_any.h"
#include "win32com/unique_variant.h"

#include <windows.h>

#include <unknwn.h>

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using quillomet::com::DispatchArguments;
using quillomet::com::unique_any;
using quillomet::com::unique_variant;

// An object that counts its references; below zero is a double release.
class Counted final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_References); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_References); }
    long m_References = 1; // the one its VARIANT is given
};

// A VARIANT holding the object's one reference.
VARIANT Holding(Counted& object) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_UNKNOWN;
    V_UNKNOWN(&value) = &object;
    return value;
}

TEST(UniqueVariant, ReleasesWhatItHoldsExactlyOnce) {
    const struct {
        const char* name;
        std::function<void(Counted&, Counted&)> act; // the second object is a bystander
    } cases[] = {
        {"goes out of scope", [](Counted& a, Counted&) { unique_variant held(Holding(a)); }},
        {"moved into another",
         [](Counted& a, Counted&) {
             unique_variant held(Holding(a));
             unique_variant moved(std::move(held));
         }},
        {"moved over one that holds another",
         [](Counted& a, Counted& b) {
             unique_variant held(Holding(a));
             unique_variant other(Holding(b));
             other = std::move(held);
             EXPECT_EQ(0, b.m_References) << "the one moved over is released at once";
         }},
        {"moved onto itself",
         [](Counted& a, Counted&) {
             unique_variant held(Holding(a));
             unique_variant& same = held;
             held = std::move(same);
             EXPECT_EQ(1, a.m_References);
         }},
        {"reset, then goes",
         [](Counted& a, Counted&) {
             unique_variant held(Holding(a));
             held.reset();
         }},
        {"put() for an out-parameter",
         [](Counted& a, Counted& b) {
             unique_variant held(Holding(b));
             *held.put() = Holding(a);
             EXPECT_EQ(0, b.m_References) << "put() releases what it held first";
         }},
        {"handed over and adopted",
         [](Counted& a, Counted&) {
             unique_variant held(Holding(a));
             unique_variant adopted(held.release());
             EXPECT_EQ(VT_EMPTY, V_VT(held.get()));
         }},
        {"left by an exception",
         [](Counted& a, Counted&) {
             try {
                 unique_variant held(Holding(a));
                 throw std::runtime_error("a conversion failed");
             } catch (const std::runtime_error&) {
             }
         }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Counted object, bystander;
        test.act(object, bystander);
        EXPECT_EQ(0, object.m_References);
        // Untouched, or released once by the case that held it.
        EXPECT_GE(bystander.m_References, 0);
        EXPECT_LE(bystander.m_References, 1);
    }
}

// A method's arguments converted one by one: when converting one throws,
// those already converted are released, once each, and the rest are empty.
TEST(DispatchArguments, ReleasesTheConvertedWhenAConversionThrowsMidway) {
    for (std::size_t failing = 0; failing <= 3; ++failing) {
        SCOPED_TRACE(failing);
        std::vector<Counted> objects(3);
        try {
            DispatchArguments arguments(objects.size());
            for (std::size_t i = 0; i < objects.size(); ++i) {
                if (i == failing)
                    throw std::runtime_error("a conversion failed");
                *arguments.At(i) = Holding(objects[i]);
            }
            // The last argument first, as Invoke takes them.
            const DISPPARAMS params = arguments.Params();
            ASSERT_EQ(3u, params.cArgs);
            EXPECT_EQ(&objects[0], V_UNKNOWN(&params.rgvarg[2]));
            EXPECT_EQ(&objects[2], V_UNKNOWN(&params.rgvarg[0]));
        } catch (const std::runtime_error&) {
        }
        // Released once if converted, untouched if not.
        for (std::size_t i = 0; i < objects.size(); ++i)
            EXPECT_EQ(i < failing ? 0 : 1, objects[i].m_References) << i;
    }
}

int g_Closed = 0;
void Close(int*) {
    ++g_Closed;
}
using unique_counted = unique_any<int*, &Close>;

TEST(UniqueAny, ClosesEachHandleExactlyOnce) {
    int first = 0, second = 0;
    const struct {
        const char* name;
        std::function<void()> act;
        int closed;
    } cases[] = {
        {"empty", [] { unique_counted none; }, 0},
        {"goes out of scope", [&] { unique_counted held(&first); }, 1},
        {"moved into another",
         [&] {
             unique_counted held(&first);
             unique_counted moved(std::move(held));
         },
         1},
        {"moved over one that holds another",
         [&] {
             unique_counted held(&first);
             unique_counted other(&second);
             other = std::move(held);
         },
         2},
        {"moved onto itself",
         [&] {
             unique_counted held(&first);
             unique_counted& same = held;
             held = std::move(same);
         },
         1},
        {"reset to another, then goes",
         [&] {
             unique_counted held(&first);
             held.reset(&second);
         },
         2},
        {"handed over", [&] { static_cast<void>(unique_counted(&first).release()); }, 0},
        {"put() for an out-parameter",
         [&] {
             unique_counted held(&first);
             *held.put() = &second;
         },
         2},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        g_Closed = 0;
        test.act();
        EXPECT_EQ(test.closed, g_Closed);
    }
}

} // namespace
