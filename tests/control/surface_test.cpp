#include "control/control_fixture.h"
#include "control/property_keys.h"

#include <string>
#include <vector>

namespace quillomet {
namespace {

class SurfaceTest : public testing::ControlTest {};

TEST_F(SurfaceTest, NewControlReadsItsDefaults) {
    EXPECT_EQ(Variant(std::int16_t{0}), control.Value());
    EXPECT_TRUE(control.Calculator());
    EXPECT_FALSE(control.UpDownFunction());
    EXPECT_EQ(1, control.UpDownIncrement());
    EXPECT_EQ(Variant(999999.99), control.MaxValue());
    EXPECT_EQ(Variant(0.0), control.MinValue());
    EXPECT_FALSE(control.UseMaxMinValues());
    EXPECT_EQ("###,##0.00;(##,###.00)", control.Format());
    EXPECT_TRUE(control.Enabled());
    EXPECT_FALSE(control.PositiveOnly());
    EXPECT_EQ(0x80000005u, control.BackColor());
    EXPECT_EQ(0x80000008u, control.ForeColor());
    EXPECT_FALSE(control.Locked());
    EXPECT_FALSE(control.GotFocus());
    EXPECT_FALSE(control.SkipFocus());
    EXPECT_EQ(10, control.MaxChars());
    // Initialisation notifies nothing.
    EXPECT_TRUE(host.m_ChangedKeys.empty());
}

// Every persisted writer notifies under its key, also when the value is the
// one it already has.
TEST_F(SurfaceTest, WritersNotifyUnderTheirKeyEvenWithoutChange) {
    const std::vector<std::pair<const char*, std::function<void()>>> writers = {
        {keys::Calculator, [&] { control.SetCalculator(control.Calculator()); }},
        {keys::UpDownFunction, [&] { control.SetUpDownFunction(control.UpDownFunction()); }},
        {keys::UpDownIncrement, [&] { control.SetUpDownIncrement(1); }},
        {keys::MaxValue, [&] { control.SetMaxValue(999999.99); }},
        {keys::MinValue, [&] { control.SetMinValue(std::int16_t{0}); }},
        {keys::UseMaxMinValues, [&] { control.SetUseMaxMinValues(false); }},
        {keys::Format, [&] { control.SetFormat(control.Format()); }},
        {keys::Enabled, [&] { control.SetEnabled(true); }},
        {keys::PositiveOnly, [&] { control.SetPositiveOnly(false); }},
        {keys::BackColor, [&] { control.SetBackColor(control.BackColor()); }},
        {keys::ForeColor, [&] { control.SetForeColor(control.ForeColor()); }},
        {keys::Locked, [&] { control.SetLocked(false); }},
        {keys::Font, [&] { control.SetFont(control.Font()); }},
    };
    for (const auto& [key, write] : writers) {
        host.ClearRecords();
        write();
        EXPECT_EQ(std::vector<std::string>{key}, host.m_ChangedKeys);
    }
}

TEST_F(SurfaceTest, UpDownIncrementTakesAnyNumberUnchanged) {
    for (std::int16_t step : {std::int16_t{0}, std::int16_t{-5}, std::int16_t{32767}}) {
        control.SetUpDownIncrement(step);
        EXPECT_EQ(step, control.UpDownIncrement());
    }
}

TEST_F(SurfaceTest, AppearanceReachesTheField) {
    control.SetBackColor(0x00FF8040);
    control.SetForeColor(0x80000012);
    control.SetLocked(true);
    EXPECT_EQ(0x00FF8040u, Field().GetBackColor());
    EXPECT_EQ(0x80000012u, Field().GetForeColor());
    EXPECT_TRUE(Field().IsLocked());
}

TEST_F(SurfaceTest, HwndIsTheFieldsWindow) {
    EXPECT_EQ(Field().WindowHandle(), control.hwnd());
    EXPECT_NE(0, control.hwnd());
}

TEST_F(SurfaceTest, FontIsSharedNotCopied) {
    auto font = std::make_shared<memory::MemoryFont>("Tahoma", 10);
    control.SetFont(font);
    EXPECT_EQ(font, control.Font());
    EXPECT_EQ(1, Field().Repaints()); // Font runs Refresh
    font->m_Bold = true;              // a change to the object shows in the field
    EXPECT_TRUE(std::static_pointer_cast<memory::MemoryFont>(Field().Font())->m_Bold);
    EXPECT_EQ(ErrorNumber::InvalidProcedureCall,
              testing::ErrorOf([&] { control.SetFont(nullptr); }));
    EXPECT_EQ(font, control.Font());
}

TEST_F(SurfaceTest, InitialisationCopiesTheAmbientFont) {
    const FontRef font = control.Font();
    ASSERT_TRUE(font);
    EXPECT_NE(host.m_AmbientFont, font);
    std::static_pointer_cast<memory::MemoryFont>(font)->m_Size = 20;
    EXPECT_EQ(8.25, std::static_pointer_cast<memory::MemoryFont>(host.m_AmbientFont)->m_Size);
}

// Controls showing the host's font share one copy until one hands its font
// out; from then on that one has its own, and changing it reaches no other.
TEST_F(SurfaceTest, ControlsShareTheirFontUntilOneHandsItOut) {
    memory::MemoryToolkit otherToolkit;
    memory::MemoryContainer otherHost;
    Quillomet other{otherToolkit, otherHost};
    otherHost.Attach(other);
    other.InitProperties();

    const FontRef shared = Field().Font();
    ASSERT_TRUE(shared);
    EXPECT_TRUE(shared->IsSharedCopy());
    EXPECT_EQ(shared, otherToolkit.Field().Font());

    const FontRef own = control.Font();
    EXPECT_NE(shared, own);
    EXPECT_FALSE(own->IsSharedCopy());
    EXPECT_EQ(own, Field().Font());
    EXPECT_EQ(own, control.Font()); // taken once, then kept
    std::static_pointer_cast<memory::MemoryFont>(own)->m_Bold = true;
    EXPECT_FALSE(std::static_pointer_cast<memory::MemoryFont>(shared)->m_Bold);
    EXPECT_EQ(shared, otherToolkit.Field().Font());
}

// A form that stored the host's font loads the shared copy again.
TEST_F(SurfaceTest, LoadingTheHostsFontSharesIt) {
    memory::MemoryPropertyBag bag;
    control.WriteProperties(bag); // the font as the host's: nothing kept
    memory::MemoryToolkit otherToolkit;
    memory::MemoryContainer otherHost;
    otherHost.m_AmbientFont = host.m_AmbientFont;
    Quillomet other{otherToolkit, otherHost};
    otherHost.Attach(other);
    other.ReadProperties(bag);
    EXPECT_TRUE(otherToolkit.Field().Font()->IsSharedCopy());
    EXPECT_EQ(Field().Font(), otherToolkit.Field().Font());
}

// A saved font may be kept by the one who saved it: never the shared copy.
TEST_F(SurfaceTest, SavingHandsOutNoSharedFont) {
    memory::MemoryPropertyBag bag;
    std::static_pointer_cast<memory::MemoryFont>(host.m_AmbientFont)->m_Size = 12;
    control.WriteProperties(bag);
    ASSERT_EQ(1u, bag.m_Values.count("Font"));
    const auto saved = std::dynamic_pointer_cast<FontObject>(bag.m_Values["Font"].Object());
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->IsSharedCopy());
    EXPECT_EQ(8.25, std::static_pointer_cast<memory::MemoryFont>(saved)->m_Size);
    EXPECT_TRUE(Field().Font()->IsSharedCopy());
}

TEST_F(SurfaceTest, EnabledReachesFieldTabStopAndComposite) {
    host.m_Extender->m_Properties["TabStop"] = false;
    control.SetEnabled(false);
    EXPECT_FALSE(Field().IsEnabled());
    EXPECT_FALSE(Field().IsTabStop());
    EXPECT_FALSE(host.m_Enabled);
    control.SetEnabled(true);
    EXPECT_TRUE(Field().IsEnabled());
    EXPECT_FALSE(Field().IsTabStop()); // the host's setting for this control
    EXPECT_TRUE(host.m_Enabled);
    host.m_Extender->m_Properties["TabStop"] = true;
    control.SetEnabled(true);
    EXPECT_TRUE(Field().IsTabStop());
}

TEST_F(SurfaceTest, RefreshAndHighlightDoNothingWhileDisabled) {
    control.SetValue(5.0);
    control.SetEnabled(false);
    control.SetSkipFocus(true);
    control.Refresh();
    control.Highlight();
    EXPECT_EQ(0, Field().Repaints());
    EXPECT_EQ("5.00", Shown());
    EXPECT_FALSE(control.GotFocus());
    EXPECT_TRUE(control.SkipFocus());
    control.SetEnabled(true);
    control.Refresh();
    EXPECT_EQ(1, Field().Repaints());
}

TEST_F(SurfaceTest, HighlightShowsThePlainFormSelected) {
    control.SetValue(-1234.5);
    control.Highlight();
    EXPECT_TRUE(control.GotFocus());
    EXPECT_EQ("-1234.50", Shown());
    EXPECT_EQ(Alignment::Left, Field().TextAlignment());
    EXPECT_EQ(8, Field().SelLength());
    EXPECT_TRUE(Field().CaretVisible());
}

TEST_F(SurfaceTest, SkipFocusLetsOneArrivalPass) {
    control.SetValue(5.0);
    control.SetSkipFocus(true);
    Field().ReceiveFocus();
    EXPECT_FALSE(control.SkipFocus());
    EXPECT_FALSE(control.GotFocus());
    EXPECT_EQ("5.00", Shown());
    Field().ReceiveFocus();
    EXPECT_TRUE(control.GotFocus());
    EXPECT_EQ("5.00", Shown()); // plain form of 5.00
}

TEST_F(SurfaceTest, LockedFieldKeepsItsDisplayForm) {
    control.SetValue(-5.0);
    control.SetLocked(true);
    Field().ReceiveFocus();
    EXPECT_TRUE(control.GotFocus());
    EXPECT_FALSE(Field().CaretVisible());
    EXPECT_EQ("(5.00)", Shown());
    Field().LoseFocus();
    EXPECT_FALSE(control.GotFocus());
    EXPECT_EQ("(5.00)", Shown());
}

} // namespace
} // namespace quillomet
