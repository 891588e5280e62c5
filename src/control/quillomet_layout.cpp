#include "common/automation_error.h"
#include "control/layout_constants.h"
#include "control/property_keys.h"
#include "control/quillomet.h"

#include <cstdint>
#include <limits>

// The composite's size and the places of its children.

namespace quillomet {
namespace {

// Lengths are 32-bit; a sum or difference beyond that is the overflow error.
std::int32_t Checked(std::int64_t length) {
    if (length < std::numeric_limits<std::int32_t>::min() ||
        length > std::numeric_limits<std::int32_t>::max())
        ThrowOverflow();
    return static_cast<std::int32_t>(length);
}

} // namespace

void Quillomet::SetCalculator(bool iCalculator) {
    m_Calculator = iCalculator;
    OnResize();
    m_Host.PropertyChanged(keys::Calculator);
}

void Quillomet::SetUpDownFunction(bool iUpDownFunction) {
    m_UpDownFunction = iUpDownFunction;
    if (!iUpDownFunction)
        StopSpinning(); // a spinner taken away mid-press steps no more
    OnResize();
    m_Host.PropertyChanged(keys::UpDownFunction);
}

// Keeps the composite never lower than one line and wide enough for its
// spinner and button. The button is as wide as the composite is high: the
// height of this size, not of the one before, so the same size always
// comes out the same. A host may run this again from inside its size
// writes; the nested run finds the size corrected and only lays out.
void Quillomet::OnResize() {
    if (m_Host.Height() < layout::MinimumHeight)
        m_Host.SetHeight(layout::MinimumHeight);
    std::int64_t minimumWidth = layout::SpinnerAllowance;
    if (m_UpDownFunction)
        minimumWidth = std::int64_t{UpDown1().Width()} + layout::SpinnerAllowance;
    if (m_Calculator)
        minimumWidth += m_Host.Height();
    if (m_Host.Width() < minimumWidth)
        m_Host.SetWidth(Checked(minimumWidth));
    ArrangeChildren();
}

// Where the children stand for the composite's size and flags. The spinner
// keeps its own width; the others start at the top left.
Quillomet::ChildPlaces Quillomet::PlacesOfChildren() {
    const std::int32_t h = m_Host.Height();
    const std::int32_t w = m_Host.Width();
    ChildPlaces places;
    places.spinner = layout::UpDown1;
    places.spinner.height = h;
    if (m_Calculator) {
        // A square button as high as the composite, at the right edge.
        places.dropButton = {Checked(std::int64_t{w} - h), 0, h, h};
        if (m_UpDownFunction) {
            places.spinner.left =
                Checked(std::int64_t{places.dropButton.left} - layout::SpinnerAllowance);
            places.field = {0, 0, places.spinner.left, h};
        } else {
            places.field = {0, 0, Checked(std::int64_t{w} - h + layout::ButtonOverlap), h};
        }
    } else if (m_UpDownFunction) {
        places.spinner.left = Checked(std::int64_t{w} - layout::SpinnerAllowance);
        places.field = {0, 0, places.spinner.left, h};
    } else {
        // Alone, the text box fills the inner area, inside any border.
        places.field = {0, 0, m_Host.ScaleWidth(), m_Host.ScaleHeight()};
    }
    return places;
}

void Quillomet::ArrangeChildren() {
    // Enabled first: a spinner made now is made in its final state.
    if (m_UpDownFunction || m_UpDown1) {
        UpDown1().SetEnabled(m_Enabled && m_UpDownFunction);
        UpDown1().SetVisible(m_UpDownFunction);
    }
    m_CalcButton->SetVisible(m_Calculator);
    m_CalcButton->SetEnabled(m_Enabled && m_Calculator);

    const ChildPlaces places = PlacesOfChildren();
    if (m_Calculator) {
        m_CalcButton->SetWidth(places.dropButton.width);
        m_CalcButton->SetHeight(places.dropButton.height);
        m_CalcButton->SetLeft(places.dropButton.left);
    }
    if (m_UpDownFunction) {
        UpDown1().SetHeight(places.spinner.height);
        UpDown1().SetLeft(places.spinner.left);
    }
    if (m_Calculator || m_UpDownFunction) {
        m_txtNumber->SetWidth(places.field.width);
        m_txtNumber->SetHeight(places.field.height);
    } else {
        m_txtNumber->Move(places.field);
    }
}

Appearance Quillomet::CurrentAppearance() {
    const ChildPlaces places = PlacesOfChildren();
    Appearance appearance;
    appearance.width = m_Host.Width();
    appearance.height = m_Host.Height();
    appearance.enabled = m_Enabled;
    appearance.field = {places.field, m_txtNumber->Text(), m_txtNumber->TextAlignment(),
                        m_BackColor,  m_ForeColor,         m_txtNumber->Font()};
    if (m_UpDownFunction)
        appearance.spinner = places.spinner;
    if (m_Calculator)
        appearance.dropButton = places.dropButton;
    return appearance;
}

void Quillomet::SetEnabled(bool iEnabled) {
    m_Enabled = iEnabled;
    m_txtNumber->SetEnabled(iEnabled);
    if (iEnabled) {
        if (m_UpDown1)
            m_UpDown1->SetEnabled(m_UpDownFunction);
        m_CalcButton->SetEnabled(m_Calculator);
        // The holder's picture object itself, not a copy.
        m_CalcButton->SetPicture(CalcPic1().Picture());
        // A host without the extender property keeps the field in the tab order.
        const ExtenderRef extender = m_Host.Extender();
        const Variant tabStop = extender ? extender->GetProperty("TabStop") : Variant();
        m_txtNumber->SetTabStop(tabStop.IsEmpty() || tabStop.ToBoolean());
    } else {
        StopSpinning();
        if (m_UpDown1)
            m_UpDown1->SetEnabled(false);
        m_CalcButton->SetEnabled(false);
        m_CalcButton->SetPicture(CalcPic2().Picture());
        m_txtNumber->SetTabStop(false);
    }
    m_Host.SetEnabled(iEnabled);
    m_Host.PropertyChanged(keys::Enabled);
}

} // namespace quillomet
