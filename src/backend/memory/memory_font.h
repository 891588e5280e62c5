#pragma once

#include "toolkit/font.h"

#include <memory>
#include <string>
#include <vector>

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
    FontRef Clone() const override {
        auto copy = std::make_shared<MemoryFont>(*this);
        copy->m_Shared = false;
        return copy;
    }
    // Shared through the process: the tests run on one thread.
    FontRef SharedCopy() const override {
        static std::vector<std::weak_ptr<MemoryFont>> fonts;
        std::erase_if(fonts, [](const auto& font) { return font.expired(); });
        for (const auto& entry : fonts)
            if (auto font = entry.lock(); SameAs(*font))
                return font;
        auto font = std::make_shared<MemoryFont>(*this);
        font->m_Shared = true;
        fonts.push_back(font);
        return font;
    }
    bool IsSharedCopy() const override { return m_Shared; }
    bool SameAs(const FontObject& other) const override {
        const auto* font = dynamic_cast<const MemoryFont*>(&other);
        return font && font->m_Name == m_Name && font->m_Size == m_Size && font->m_Bold == m_Bold &&
               font->m_Italic == m_Italic;
    }

private:
    bool m_Shared = false;
};

} // namespace quillomet::memory
