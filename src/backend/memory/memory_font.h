#pragma once

#include "toolkit/font.h"

#include <string>

namespace quillomet::memory {

// A font object with the attributes a host sets most.
class MemoryFont final : public FontObject {
public:
    explicit MemoryFont(std::string name = "MS Sans Serif", double size = 8.25)
        : m_Name(std::move(name)), m_Size(size) {}

    std::string m_Name;
    double m_Size;
    bool m_Bold = false;
    bool m_Italic = false;

    Variant DefaultValue() const override { return m_Name; }
    FontRef Clone() const override { return std::make_shared<MemoryFont>(*this); }
    bool SameAs(const FontObject& other) const override {
        const auto* font = dynamic_cast<const MemoryFont*>(&other);
        return font && font->m_Name == m_Name && font->m_Size == m_Size && font->m_Bold == m_Bold &&
               font->m_Italic == m_Italic;
    }
};

} // namespace quillomet::memory
