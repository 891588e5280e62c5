// The control's property pages. A page is a dialog of the library's
// resources whose fields each edit one property of the selected controls
// (page_fields.h). It reads and writes them through their dispatch
// interface only, as a designer's property browser does: a value a control
// refuses is refused with the control's own words, and the page serves any
// object with the control's properties, an extended control included.
#include "server/property_page.h"

#include "backend/win32/host_entry.h"
#include "backend/win32/on_demand_imports.h"
#include "common/automation_error.h"
#include "common/scope_exit.h"
#include "control/designer_text.h"
#include "control/persisted_properties.h"
#include "server/control_object.h"
#include "server/page_fields.h"
#include "win32com/com_object.h"
#include "win32com/error.h"
#include "win32com/module.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_bstr.h"
#include "win32com/unique_variant.h"

#include <vector>

namespace quillomet {
namespace {

using unique_window = com::unique_any<HWND, &DestroyWindow>;

constexpr std::size_t NoField = ~std::size_t{0};
// Longer than any text a property holds.
constexpr int TextLength = 256;
using Message = wchar_t[TextLength];

DISPID DispidOf(const PageField& field) {
    return FindPersistedProperty(field.property)->m_Dispid;
}

com::unique_variant ReadProperty(IDispatch& object, const PageField& field) {
    DISPPARAMS none{};
    com::unique_variant value;
    com::ThrowIfFailed(object.Invoke(DispidOf(field), IID_NULL, LOCALE_USER_DEFAULT,
                                     DISPATCH_PROPERTYGET, &none, value.put(), nullptr, nullptr));
    return value;
}

// Writes a property of `object`: S_OK, or the failure and in `message` the
// object's words for it (the standard wording of the dispatch layer's own
// refusals, which come without words).
HRESULT WriteProperty(IDispatch& object, const PageField& field, VARIANT value, Message& message) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    EXCEPINFO exception{};
    HRESULT hr = object.Invoke(DispidOf(field), IID_NULL, LOCALE_USER_DEFAULT,
                               field.kind == FieldKind::Font ? DISPATCH_PROPERTYPUTREF
                                                             : DISPATCH_PROPERTYPUT,
                               &params, nullptr, &exception, nullptr);
    if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
    const com::unique_bstr source(exception.bstrSource), help(exception.bstrHelpFile),
        description(exception.bstrDescription);
    if (hr == DISP_E_EXCEPTION && FAILED(exception.scode))
        hr = exception.scode;
    if (SUCCEEDED(hr))
        return hr;
    if (SysStringLen(description.get()))
        lstrcpynW(message, description.get(), TextLength);
    else if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW)
        MultiByteToWideChar(CP_UTF8, 0,
                            DefaultMessage(hr == DISP_E_OVERFLOW ? ErrorNumber::Overflow
                                                                 : ErrorNumber::TypeMismatch),
                            -1, message, TextLength);
    else if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(hr), 0, message, TextLength, nullptr))
        message[0] = L'\0';
    return hr;
}

// An entry of a list: a text of the core, short, and its data.
void AddEntry(HWND list, std::string_view text, LPARAM data) {
    wchar_t wide[64] = {};
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide, 63);
    SendMessageW(list, CB_SETITEMDATA,
                 SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide)), data);
}

// A dialog measured, never shown, needs no handling of its own.
INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class PropertyPage final : public com::ComObject<PropertyPage, IPropertyPage2> {
public:
    explicit PropertyPage(std::size_t page)
        : m_Class(class_facts::PropertyPages[page]), m_Layout(PageLayouts[page]) {}
    ~PropertyPage() override { CloseDialog(); }

    void* QueryExtra(REFIID iid) noexcept {
        return iid == IID_IPropertyPage ? static_cast<IPropertyPage2*>(this) : nullptr;
    }

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) noexcept override {
        m_Site = com::com_ptr<IPropertyPageSite>(site);
        return S_OK;
    }

    STDMETHODIMP Activate(HWND parent, LPCRECT place, BOOL) noexcept override {
        return Enter([&]() -> HRESULT {
            if (!place)
                return E_POINTER;
            if (m_Dialog)
                return E_UNEXPECTED;
            m_Dialog.reset(CreateDialogParamW(com::ModuleInstance(),
                                              MAKEINTRESOURCEW(m_Layout.dialog), parent,
                                              &DialogProc, reinterpret_cast<LPARAM>(this)));
            if (!m_Dialog)
                throw com::HresultError(E_FAIL);
            FillLists();
            Load();
            return Move(place);
        });
    }

    STDMETHODIMP Deactivate() noexcept override {
        CloseDialog();
        m_Preview.reset();
        return S_OK;
    }

    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) noexcept override {
        if (!info)
            return E_POINTER;
        *info = {};
        info->cb = sizeof *info;
        // The dialog's size in this screen's pixels, as the system lays it out.
        const unique_window probe(CreateDialogParamW(com::ModuleInstance(),
                                                     MAKEINTRESOURCEW(m_Layout.dialog),
                                                     GetDesktopWindow(), &InertDialog, 0));
        RECT place{};
        if (!probe || !GetWindowRect(probe.get(), &place))
            return E_FAIL;
        info->size = {place.right - place.left, place.bottom - place.top};
        info->pszTitle = Utf8ToCoTaskMem(m_Class.title);
        return info->pszTitle ? S_OK : E_OUTOFMEMORY;
    }

    // Several objects: the page shows the first and applies to all.
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) noexcept override {
        return Enter([&]() -> HRESULT {
            if (count && !objects)
                return E_POINTER;
            std::vector<com::com_ptr<IDispatch>> taken(count);
            for (ULONG i = 0; i < count; ++i)
                if (!objects[i] ||
                    FAILED(objects[i]->QueryInterface(IID_IDispatch, taken[i].put_void())))
                    return E_NOINTERFACE;
            m_Objects = std::move(taken);
            if (m_Dialog)
                Load();
            return S_OK;
        });
    }

    STDMETHODIMP Show(UINT command) noexcept override {
        if (!m_Dialog)
            return E_UNEXPECTED;
        ShowWindow(m_Dialog.get(), static_cast<int>(command));
        return S_OK;
    }

    STDMETHODIMP Move(LPCRECT place) noexcept override {
        if (!place)
            return E_POINTER;
        if (!m_Dialog)
            return E_UNEXPECTED;
        MoveWindow(m_Dialog.get(), place->left, place->top, place->right - place->left,
                   place->bottom - place->top, TRUE);
        return S_OK;
    }

    STDMETHODIMP IsPageDirty() noexcept override { return m_Changed ? S_OK : S_FALSE; }

    // All or nothing: a value one of the objects refuses puts back what the
    // writes before it replaced, shows the object's message and leaves the
    // page dirty with the caret in the refused field.
    STDMETHODIMP Apply() noexcept override {
        return Enter([&]() -> HRESULT {
            if (!m_Changed || !m_Dialog)
                return S_OK;
            struct Written {
                IDispatch* object;
                const PageField* field;
                com::unique_variant previous;
            };
            std::vector<Written> written;
            Message message{};
            for (const com::com_ptr<IDispatch>& object : m_Objects)
                for (std::size_t i = 0; i < m_Layout.fields.size(); ++i) {
                    if (!(m_Changed & (1u << i)))
                        continue;
                    const PageField& field = m_Layout.fields[i];
                    com::unique_variant previous = ReadProperty(*object.get(), field);
                    if (const HRESULT hr =
                            WriteProperty(*object.get(), field, *ValueOf(i), message);
                        FAILED(hr)) {
                        Message ignored;
                        for (auto undo = written.rbegin(); undo != written.rend(); ++undo)
                            WriteProperty(*undo->object, *undo->field, *undo->previous, ignored);
                        SetDlgItemTextW(m_Dialog.get(), IDC_PAGE_ERROR, message);
                        Focus(field.control);
                        return hr;
                    }
                    written.push_back({object.get(), &field, std::move(previous)});
                }
            // What the controls made of the values (a limit they moved).
            Load();
            return S_OK;
        });
    }

    STDMETHODIMP Help(LPCOLESTR) noexcept override { return E_NOTIMPL; }

    STDMETHODIMP TranslateAccelerator(MSG* message) noexcept override {
        return message && m_Dialog && IsDialogMessageW(m_Dialog.get(), message) ? S_OK : S_FALSE;
    }

    STDMETHODIMP EditProperty(DISPID id) noexcept override {
        for (const PageField& field : m_Layout.fields)
            if (DispidOf(field) == id) {
                if (!m_Dialog)
                    return E_UNEXPECTED;
                Focus(field.control);
                return S_OK;
            }
        return E_INVALIDARG;
    }

private:
    HRESULT Enter(FunctionRef<HRESULT()> work) noexcept {
        return win32::EnterFromHost(static_cast<IPropertyPage2*>(this), work);
    }

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG)
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!page || (message != WM_COMMAND && message != WM_DRAWITEM))
            return FALSE;
        // A site the page tells of a change may let the page go.
        const com::com_ptr<PropertyPage> keepAlive(page);
        return win32::EnterFromWindow("property page", [&]() -> LRESULT {
            if (message == WM_COMMAND)
                page->OnCommand(LOWORD(wParam), HIWORD(wParam));
            else
                page->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        });
    }

    void OnCommand(int control, int notification) {
        if (m_Loading)
            return;
        // A field's button: the system's colour or font dialog for it.
        if (const std::size_t owner = FieldOf(control - IDC_PAGE_BUTTON);
            owner != NoField && notification == BN_CLICKED)
            return m_Layout.fields[owner].kind == FieldKind::Font ? OnChooseFont(owner)
                                                                  : OnOtherColor(owner);
        const std::size_t i = FieldOf(control);
        if (i == NoField || !(notification == EN_CHANGE || notification == CBN_EDITCHANGE ||
                              notification == CBN_SELCHANGE || notification == BN_CLICKED))
            return;
        // A pick from a list whose field is typed into: the field's text
        // follows only after this notice.
        const HWND field = Item(control);
        if (notification == CBN_SELCHANGE && m_Layout.fields[i].kind == FieldKind::Text) {
            Message text{};
            const auto chosen = SendMessageW(field, CB_GETCURSEL, 0, 0);
            if (SendMessageW(field, CB_GETLBTEXTLEN, chosen, 0) < TextLength)
                SendMessageW(field, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(text));
            SetWindowTextW(field, text);
        }
        Changed(i);
    }

    // Any colour, through the system's colour dialog.
    void OnOtherColor(std::size_t i) {
        const HWND list = Item(m_Layout.fields[i].control);
        COLORREF shown = 0;
        OleTranslateColor(static_cast<OLE_COLOR>(SendMessageW(
                              list, CB_GETITEMDATA, SendMessageW(list, CB_GETCURSEL, 0, 0), 0)),
                          nullptr, &shown);
        CHOOSECOLORW choice{};
        choice.lStructSize = sizeof choice;
        choice.hwndOwner = m_Dialog.get();
        choice.rgbResult = shown;
        choice.lpCustColors = m_CustomColors;
        choice.Flags = CC_RGBINIT | CC_FULLOPEN;
        if (!win32::on_demand::ChooseColorW(&choice) || !m_Dialog)
            return;
        SelectColor(list, choice.rgbResult);
        Changed(i);
    }

    // Face, size and style through the system's font dialog; underline and
    // strikethrough stay as they were.
    void OnChooseFont(std::size_t i) {
        LOGFONTW font{};
        HFONT shown = nullptr;
        if (m_Font && SUCCEEDED(m_Font->get_hFont(&shown)))
            GetObjectW(shown, sizeof font, &font);
        CHOOSEFONTW choice{};
        choice.lStructSize = sizeof choice;
        choice.hwndOwner = m_Dialog.get();
        choice.lpLogFont = &font;
        choice.Flags = CF_SCREENFONTS | (shown ? CF_INITTOLOGFONTSTRUCT : 0);
        if (!win32::on_demand::ChooseFontW(&choice) || !m_Dialog)
            return;
        FONTDESC chosen{sizeof chosen,
                        font.lfFaceName,
                        {},
                        static_cast<SHORT>(font.lfWeight),
                        static_cast<SHORT>(font.lfCharSet),
                        font.lfItalic,
                        font.lfUnderline,
                        font.lfStrikeOut};
        chosen.cySize.int64 = LONGLONG{choice.iPointSize} * 1000; // tenths to ten-thousandths
        com::com_ptr<IFont> made;
        com::ThrowIfFailed(OleCreateFontIndirect(&chosen, IID_IFont, made.put_void()));
        m_Font = made;
        ShowFont(i);
        Changed(i);
    }

    // The preview: a control of the page's own with the first object's
    // settings and the page's, drawn by the control's own drawing.
    void OnDrawItem(const DRAWITEMSTRUCT& item) {
        if (!m_Preview) {
            com::ThrowIfFailed(CreateControlObject(IID_IDispatch, m_Preview.put_void()));
            m_PreviewStale = true;
        }
        if (m_PreviewStale) {
            Message ignored;
            for (const PageLayout& layout : PageLayouts)
                for (const PageField& field : layout.fields) {
                    const std::size_t own = FieldOf(field.control);
                    if (own != NoField)
                        WriteProperty(*m_Preview.get(), field, *ValueOf(own), ignored);
                    else if (!m_Objects.empty())
                        WriteProperty(*m_Preview.get(), field,
                                      *ReadProperty(*m_Objects.front().get(), field), ignored);
                }
            m_PreviewStale = false;
        }
        const RECT& place = item.rcItem;
        const int dpi = GetDeviceCaps(item.hDC, LOGPIXELSX);
        SIZEL extent{MulDiv(place.right - place.left, 2540, dpi),
                     MulDiv(place.bottom - place.top, 2540, dpi)};
        m_Preview.try_as<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent);
        const RECTL bounds{place.left, place.top, place.right, place.bottom};
        m_Preview.try_as<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                              item.hDC, &bounds, nullptr, nullptr, 0);
    }

    void FillLists() {
        if (const HWND pictures = Item(IDC_PAGE_FORMAT))
            for (const std::string_view picture : CommonPictures())
                AddEntry(pictures, picture, 0);
        for (const int control : {IDC_PAGE_BACKCOLOR, IDC_PAGE_FORECOLOR})
            if (const HWND colors = Item(control))
                for (OleColor color = FirstSystemColor;
                     color < FirstSystemColor + NamedSystemColors; ++color)
                    AddEntry(colors, SystemColorName(color), static_cast<LPARAM>(color));
    }

    // The fields from the first object; the page is clean again.
    void Load() {
        const auto loading = scoped_value(m_Loading, true);
        for (std::size_t i = 0; i < m_Layout.fields.size() && !m_Objects.empty(); ++i) {
            com::unique_variant value = ReadProperty(*m_Objects.front().get(), m_Layout.fields[i]);
            const HWND field = Item(m_Layout.fields[i].control);
            switch (m_Layout.fields[i].kind) {
            case FieldKind::Text:
                // A number as the control reads it back: "." for the point,
                // whatever the user's locale.
                VariantChangeTypeEx(&*value, &*value, LOCALE_INVARIANT, 0, VT_BSTR);
                SetWindowTextW(field, V_VT(&*value) == VT_BSTR ? V_BSTR(&*value) : L"");
                break;
            case FieldKind::Flag:
                SendMessageW(
                    field, BM_SETCHECK,
                    V_VT(&*value) == VT_BOOL && V_BOOL(&*value) ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case FieldKind::Color:
                SelectColor(field,
                            V_VT(&*value) == VT_I4 ? static_cast<OleColor>(V_I4(&*value)) : 0);
                break;
            case FieldKind::Font:
                m_Font.reset();
                if (V_VT(&*value) == VT_DISPATCH && V_DISPATCH(&*value))
                    V_DISPATCH(&*value)->QueryInterface(IID_IFont, m_Font.put_void());
                ShowFont(i);
                break;
            }
        }
        m_Changed = 0;
        SetDlgItemTextW(m_Dialog.get(), IDC_PAGE_ERROR, L"");
        UpdatePreview();
    }

    // What field `i` holds, as the objects take it: a font of its own for
    // each write, so that changing one control's font never changes
    // another's.
    com::unique_variant ValueOf(std::size_t i) {
        const HWND field = Item(m_Layout.fields[i].control);
        com::unique_variant value;
        VARIANT& v = *value;
        switch (m_Layout.fields[i].kind) {
        case FieldKind::Text: {
            Message text{};
            GetWindowTextW(field, text, TextLength);
            V_BSTR(&v) = SysAllocString(text);
            if (!V_BSTR(&v))
                throw std::bad_alloc();
            V_VT(&v) = VT_BSTR;
            break;
        }
        case FieldKind::Flag:
            V_VT(&v) = VT_BOOL;
            V_BOOL(&v) = SendMessageW(field, BM_GETCHECK, 0, 0) == BST_CHECKED ? VARIANT_TRUE
                                                                               : VARIANT_FALSE;
            break;
        case FieldKind::Color:
            V_VT(&v) = VT_I4;
            V_I4(&v) = static_cast<LONG>(
                SendMessageW(field, CB_GETITEMDATA, SendMessageW(field, CB_GETCURSEL, 0, 0), 0));
            break;
        case FieldKind::Font:
            if (m_Font) {
                com::com_ptr<IFont> clone;
                com::ThrowIfFailed(m_Font->Clone(clone.put()));
                com::ThrowIfFailed(clone->QueryInterface(
                    IID_IDispatch, reinterpret_cast<void**>(&V_DISPATCH(&v))));
                V_VT(&v) = VT_DISPATCH;
            }
            break;
        }
        return value;
    }

    void ShowFont(std::size_t i) {
        const com::unique_bstr text(DescribeFont(m_Font.get()));
        SetWindowTextW(Item(m_Layout.fields[i].control), text.get());
    }

    // A colour of the list by its name; any other as the list's last entry,
    // "#RRGGBB".
    static void SelectColor(HWND list, OleColor color) {
        const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
        if (count > NamedSystemColors)
            SendMessageW(list, CB_DELETESTRING, count - 1, 0);
        auto index = static_cast<LRESULT>(color - FirstSystemColor);
        if (SystemColorName(color).empty()) {
            wchar_t text[8] = L"#";
            for (int part = 0; part < 3; ++part) {
                const unsigned byte = (color >> (8 * part)) & 0xFF;
                text[1 + 2 * part] = L"0123456789ABCDEF"[byte >> 4];
                text[2 + 2 * part] = L"0123456789ABCDEF"[byte & 15];
            }
            index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SendMessageW(list, CB_SETITEMDATA, index, color);
        }
        SendMessageW(list, CB_SETCURSEL, index, 0);
    }

    void Changed(std::size_t i) {
        m_Changed |= 1u << i;
        if (m_Site)
            m_Site->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
        UpdatePreview();
    }

    // The preview draws the control anew: the General page's shows the
    // value in the picture being chosen, the Appearance page's the colours
    // and the font.
    void UpdatePreview() {
        m_PreviewStale = true;
        InvalidateRect(Item(IDC_PAGE_PREVIEW), nullptr, FALSE);
    }

    // The caret into a field, its text selected, as the dialog's own
    // navigation puts it there.
    void Focus(int control) {
        SendMessageW(m_Dialog.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(control)), TRUE);
    }

    std::size_t FieldOf(int control) const {
        for (std::size_t i = 0; i < m_Layout.fields.size(); ++i)
            if (m_Layout.fields[i].control == control)
                return i;
        return NoField;
    }

    HWND Item(int control) const { return GetDlgItem(m_Dialog.get(), control); }

    // Messages for a page that goes find none.
    void CloseDialog() {
        if (m_Dialog)
            SetWindowLongPtrW(m_Dialog.get(), DWLP_USER, 0);
        m_Dialog.reset();
    }

    const class_facts::PageClass& m_Class;
    const PageLayout& m_Layout;
    com::com_ptr<IPropertyPageSite> m_Site;
    std::vector<com::com_ptr<IDispatch>> m_Objects;
    unique_window m_Dialog;
    // The fields changed since the page was loaded or applied, by bit.
    std::uint32_t m_Changed = 0;
    // Fields being filled: their notifications are no user's changes.
    bool m_Loading = false;
    // The font field's font; the page's own once the user chose one.
    com::com_ptr<IFont> m_Font;
    com::com_ptr<IDispatch> m_Preview;
    bool m_PreviewStale = true;
    COLORREF m_CustomColors[16] = {};
};

static_assert(std::size(GeneralFields) <= 32 && std::size(AppearanceFields) <= 32);

} // namespace

HRESULT CreatePropertyPage(std::size_t page, REFIID iid, void** object) {
    return com::make<PropertyPage>(page)->QueryInterface(iid, object);
}

BSTR DescribeFont(IUnknown* object) {
    com::com_ptr<IFont> font;
    if (!object || FAILED(object->QueryInterface(IID_IFont, font.put_void())))
        return nullptr;
    com::unique_bstr name;
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strikethrough = FALSE;
    font->get_Name(name.put());
    font->get_Size(&size);
    font->get_Bold(&bold);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strikethrough);
    const std::string face = BstrToUtf8(name.get());
    return Utf8ToBstr(FontDescription({face, size.int64, bold != FALSE, italic != FALSE,
                                       underline != FALSE, strikethrough != FALSE}));
}

} // namespace quillomet
