#include "qfmt/picture_display.h"

#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/variant.h"
#include "control/quillomet.h"

namespace quillomet::tools {
namespace {

Variant AsGiven(const std::string& text) {
    double number = 0;
    if (ParseAutomationNumber(text, number))
        return number;
    return text;
}

} // namespace

std::string Display(const DisplayRequest& request) {
    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    Quillomet control(toolkit, host);
    control.InitProperties();
    control.SetFormat(request.format);
    control.SetPositiveOnly(request.positiveOnly);
    if (request.focus == FocusMoment::BeforeWrite)
        toolkit.Field().ReceiveFocus();
    control.SetValue(AsGiven(request.value));
    if (request.focus == FocusMoment::AfterWrite)
        toolkit.Field().ReceiveFocus();
    return toolkit.Field().Text();
}

} // namespace quillomet::tools
