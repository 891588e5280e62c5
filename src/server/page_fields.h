#pragma once

// What each of the control's property pages edits: a field of its dialog
// per property, in the order the page applies them (limits before the value
// they limit). Plain data, so that the reference lists the same.
#include "control/property_keys.h"
#include "server/class_facts.h"
#include "win32com/resource_ids.h"

#include <iterator>
#include <span>

namespace quillomet {

enum class FieldKind {
    Text,  // an edit field, or a list's edit field: the text as typed
    Flag,  // a check box
    Color, // a list of the system colours, and the colour dialog
    Font,  // the font's description, and the font dialog
};

struct PageField {
    int control;
    const char* property; // its persisted key
    FieldKind kind;
};

struct PageLayout {
    int dialog;
    std::span<const PageField> fields;
};

inline constexpr PageField GeneralFields[] = {
    {IDC_PAGE_FORMAT, keys::Format, FieldKind::Text},
    {IDC_PAGE_MINVALUE, keys::MinValue, FieldKind::Text},
    {IDC_PAGE_MAXVALUE, keys::MaxValue, FieldKind::Text},
    {IDC_PAGE_USEMAXMIN, keys::UseMaxMinValues, FieldKind::Flag},
    {IDC_PAGE_POSITIVEONLY, keys::PositiveOnly, FieldKind::Flag},
    {IDC_PAGE_VALUE, keys::Value, FieldKind::Text},
    {IDC_PAGE_INCREMENT, keys::UpDownIncrement, FieldKind::Text},
    {IDC_PAGE_UPDOWN, keys::UpDownFunction, FieldKind::Flag},
    {IDC_PAGE_CALCULATOR, keys::Calculator, FieldKind::Flag},
    {IDC_PAGE_ENABLED, keys::Enabled, FieldKind::Flag},
    {IDC_PAGE_LOCKED, keys::Locked, FieldKind::Flag},
};

inline constexpr PageField AppearanceFields[] = {
    {IDC_PAGE_BACKCOLOR, keys::BackColor, FieldKind::Color},
    {IDC_PAGE_FORECOLOR, keys::ForeColor, FieldKind::Color},
    {IDC_PAGE_FONT, keys::Font, FieldKind::Font},
};

// By the pages' order in class_facts::PropertyPages.
inline constexpr PageLayout PageLayouts[] = {
    {IDD_PAGE_GENERAL, GeneralFields},
    {IDD_PAGE_APPEARANCE, AppearanceFields},
};
static_assert(std::size(PageLayouts) == std::size(class_facts::PropertyPages));

} // namespace quillomet
