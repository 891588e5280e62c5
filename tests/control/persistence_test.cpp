#include "control/control_fixture.h"
#include "control/persisted_properties.h"
#include "control/property_keys.h"

#include <algorithm>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace quillomet {
namespace {

using testing::ErrorOf;

class PersistenceTest : public ::testing::Test {
protected:
    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    memory::MemoryPropertyBag bag;
    Quillomet control{toolkit, host};
    std::string Shown() { return toolkit.Field().Text(); }
};

// The table describes each property once: one key, one dispatch identifier
// and one place in the loading order each, a default for every property but
// the font (the host's), and every key the control notifies is in it.
TEST(PersistedPropertiesTest, EachPropertyOnce) {
    const auto properties = PersistedProperties();
    std::set<std::string_view> keys;
    std::set<std::int32_t> dispids;
    std::vector<int> loadOrder;
    for (const PersistedProperty& property : properties) {
        SCOPED_TRACE(std::string(property.m_Key));
        EXPECT_TRUE(keys.insert(property.m_Key).second);
        EXPECT_TRUE(dispids.insert(property.m_Dispid).second);
        loadOrder.push_back(property.m_LoadOrder);
        EXPECT_EQ(property.m_Type == PropertyType::Font, property.m_Default.IsEmpty());
        EXPECT_EQ(&property, FindPersistedProperty(property.m_Key));
    }
    std::ranges::sort(loadOrder);
    for (std::size_t i = 0; i < loadOrder.size(); ++i)
        EXPECT_EQ(static_cast<int>(i), loadOrder[i]);
    for (const char* key :
         {keys::Font, keys::Format, keys::Enabled, keys::PositiveOnly, keys::BackColor,
          keys::ForeColor, keys::Value, keys::MaxValue, keys::MinValue, keys::UseMaxMinValues,
          keys::Locked, keys::Calculator, keys::UpDownFunction, keys::UpDownIncrement})
        EXPECT_NE(nullptr, FindPersistedProperty(key)) << key;
    EXPECT_EQ(nullptr, FindPersistedProperty("SkipFocus"));
}

TEST_F(PersistenceTest, EmptyBagLoadsTheDefaults) {
    control.ReadProperties(bag);
    EXPECT_EQ(
        (std::vector<std::string>{"Font", "Format", "Enabled", "PositiveOnly", "BackColor",
                                  "ForeColor", "Value", "MaxValue", "MinValue", "UseMaxMinValues",
                                  "Locked", "Calculator", "UpDownFunction", "UpDownIncrement"}),
        bag.m_ReadOrder);
    EXPECT_EQ(Quillomet::DefaultFormat, control.Format());
    EXPECT_EQ(10, control.MaxChars());
    EXPECT_EQ(Variant(""), control.StoredValue());
    EXPECT_EQ(Variant(999999.99), control.StoredMaxValue());
    EXPECT_EQ(Variant(std::int16_t{0}), control.StoredMinValue());
    EXPECT_TRUE(control.Enabled());
    EXPECT_TRUE(control.Calculator());
    EXPECT_EQ(1, control.UpDownIncrement());
    EXPECT_EQ(0x80000005u, control.BackColor());
    EXPECT_EQ("0.00", Shown()); // loading shows the empty value through the picture
}

TEST_F(PersistenceTest, SavingDefaultsKeepsNothing) {
    control.InitProperties();
    control.WriteProperties(bag);
    EXPECT_EQ(
        (std::vector<std::string>{"Font", "Value", "MaxValue", "MinValue", "UseMaxMinValues",
                                  "Format", "Enabled", "PositiveOnly", "BackColor", "ForeColor",
                                  "Locked", "Calculator", "UpDownFunction", "UpDownIncrement"}),
        bag.m_WriteOrder);
    EXPECT_TRUE(bag.m_Values.empty());
    // A font that no longer looks like the host's is kept.
    std::static_pointer_cast<memory::MemoryFont>(control.Font())->m_Bold = true;
    control.WriteProperties(bag);
    ASSERT_EQ(1u, bag.m_Values.count("Font"));
    EXPECT_EQ(Variant(ObjectRef(control.Font())), bag.m_Values["Font"]);
}

TEST_F(PersistenceTest, SettingsRoundTripAsHeld) {
    control.InitProperties();
    control.SetFormat("#,##0.000");
    control.SetMaxValue("1,000");
    control.SetValue(12.3456);
    control.SetBackColor(0x00112233);
    control.SetUpDownIncrement(-4);
    control.SetCalculator(false);
    const auto font = std::make_shared<memory::MemoryFont>("Tahoma", 12);
    control.SetFont(font);
    control.WriteProperties(bag);

    memory::MemoryToolkit toolkit2;
    memory::MemoryContainer host2;
    Quillomet loaded(toolkit2, host2);
    loaded.ReadProperties(bag);
    EXPECT_EQ("#,##0.000", loaded.Format());
    EXPECT_EQ(9, loaded.MaxChars());
    EXPECT_EQ(Variant(12.3456), loaded.StoredValue()); // a number stays a number
    EXPECT_EQ(Variant("1000"), loaded.StoredMaxValue());
    EXPECT_EQ(0x00112233u, loaded.BackColor());
    EXPECT_EQ(-4, loaded.UpDownIncrement());
    EXPECT_FALSE(loaded.Calculator());
    EXPECT_EQ("12.345", toolkit2.Field().Text());
    EXPECT_EQ(font, loaded.Font()); // the stored font object
}

TEST_F(PersistenceTest, LoadingDoesNotEnforceTheRange) {
    bag.m_Values["UseMaxMinValues"] = true;
    bag.m_Values["MaxValue"] = "100";
    bag.m_Values["Value"] = 500.0;
    bag.m_Values["PositiveOnly"] = true;
    bag.m_Values["MinValue"] = "-5";
    control.ReadProperties(bag);
    EXPECT_EQ("500.00", Shown());
    EXPECT_EQ(Variant("-5"), control.StoredMinValue());
}

// Stored settings are not cross-checked, so MinValue may lie above
// MaxValue; the range rule then settles on MaxValue instead of writing the
// two limits in turn for ever.
TEST_F(PersistenceTest, CrossedStoredLimitsSettleOnTheMaximum) {
    bag.m_Values["MinValue"] = "50";
    bag.m_Values["MaxValue"] = "20";
    bag.m_Values["Value"] = "35";
    control.ReadProperties(bag);
    const struct {
        Variant value;
        const char* shown;
    } rows[] = {{35.0, "20.00"}, {10.0, "20.00"}, {70.0, "20.00"}};
    control.SetUseMaxMinValues(true);
    EXPECT_EQ("20.00", Shown());
    for (const auto& row : rows) {
        host.ClearRecords();
        control.SetValue(row.value);
        EXPECT_EQ(row.shown, Shown());
        EXPECT_EQ(Variant("20"), control.StoredValue());
        EXPECT_LE(host.m_ChangedKeys.size(), 6u);
    }
}

// A value that cannot be converted costs only its own key: the keys after
// it still load, the children are arranged, the value shown, and the error
// names the key.
TEST_F(PersistenceTest, UnconvertibleSettingTakesItsDefaultAndTheRestLoad) {
    bag.m_Values["Format"] = "0.0";
    bag.m_Values["Locked"] = "maybe";
    bag.m_Values["Calculator"] = false;
    bag.m_Values["UpDownFunction"] = true;
    bag.m_Values["Value"] = 2.25;
    std::string message;
    try {
        control.ReadProperties(bag);
        ADD_FAILURE() << "loading reported no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(ErrorNumber::TypeMismatch, error.Number());
        message = error.what();
    }
    EXPECT_NE(std::string::npos, message.find("\"Locked\"")) << message;
    EXPECT_EQ("0.0", control.Format());
    EXPECT_FALSE(control.Locked());             // its default
    EXPECT_FALSE(control.Calculator());         // loaded after the failing key
    EXPECT_TRUE(toolkit.Spinner().IsVisible()); // arranged for the loaded flags
    EXPECT_FALSE(toolkit.Image(0).IsVisible());
    EXPECT_EQ("2.2", Shown()); // the value shown in its picture
}

TEST_F(PersistenceTest, CorruptStoredValuesAreRefusedAndDefaulted) {
    const std::vector<std::pair<const char*, Variant>> rows = {
        {"Value", Variant::Null()},
        {"MaxValue", std::numeric_limits<double>::infinity()},
        {"MinValue", std::string(40000, '1')},
        {"Value", std::string("1") + std::string(15, '0')}, // 10^15: no number of the control
        {"MaxValue", -1e15},
        {"Format", std::string(40000, '#')},
        {"Font", "Arial"},
        {"UpDownIncrement", 40000.0},
        {"BackColor", "red"},
    };
    for (const auto& [key, stored] : rows) {
        memory::MemoryPropertyBag corrupt;
        corrupt.m_Values[key] = stored;
        corrupt.m_Values["PositiveOnly"] = true; // a good key beside the bad one
        memory::MemoryToolkit kit;
        memory::MemoryContainer site;
        Quillomet fresh(kit, site);
        EXPECT_NE(ErrorNumber{}, ErrorOf([&] { fresh.ReadProperties(corrupt); })) << key;
        EXPECT_TRUE(fresh.PositiveOnly()) << key;
        EXPECT_EQ(Quillomet::DefaultFormat, fresh.Format()) << key;
        EXPECT_EQ(1, fresh.UpDownIncrement()) << key;
        EXPECT_EQ(Variant(999999.99), fresh.StoredMaxValue()) << key;
        EXPECT_EQ("0.00", kit.Field().Text()) << key;
    }
}

} // namespace
} // namespace quillomet
