#include "info/directx/DirectXInfo.h"

#include <cstring>
#include <vector>

#include "info/PlatformBuffer.h"
#include "info/WideText.h"

std::string TDirectXInfo::NarrowText(const wchar_t* wide)
{
    if (wide == nullptr || *wide == L'\0') return std::string();
    // Converted whole first: a conversion into too small a buffer fails outright.
    // Straight to cp932, whatever the ANSI code page (UTF-8 refuses these flags).
    const int size =
        Api.WideCharToMultiByte(ReportCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
    // A size beyond any real text is refused instead of allocated.
    if (size <= 0 || static_cast<size_t>(size) > TPlatformBuffer::Limit) return std::string();
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    const int written = Api.WideCharToMultiByte(ReportCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, buffer.data(), size,
                                                nullptr, nullptr);
    if (written <= 0) return std::string();
    const size_t length = strnlen(buffer.data(), static_cast<size_t>(written));

    const size_t textSize = 512;
    size_t kept = 0;
    while (kept < length) {
        const bool pair = kept + 1 < length && Api.IsDBCSLeadByteEx(ReportCodePage, static_cast<BYTE>(buffer[kept]));
        const size_t step = pair ? 2 : 1;
        if (kept + step > textSize - 1) break;
        kept += step;
    }
    return std::string(buffer.data(), kept);
}

// One body for every reader: a property of another type is cleared unused.
template <typename Use>
void TDirectXInfo::WithProp(IDxDiagContainer* container, const wchar_t* name, VARTYPE type, Use use)
{
    VARIANT value;
    Api.VariantInit(&value);
    if (FAILED(container->GetProp(name, &value))) return;
    if (value.vt == type) use(value);
    Api.VariantClear(&value);
}

// Made for the types the tables name only: VT_BSTR, VT_BOOL, VT_UI4, VT_I4.
std::string TDirectXInfo::ValueText(const VARIANT& value)
{
    switch (value.vt) {
    case VT_BSTR:
        return NarrowText(value.bstrVal);
    case VT_BOOL:
        return value.boolVal != 0 ? "true" : "false";
    case VT_UI4:
        return std::to_string(value.ulVal);
    default:
        return std::to_string(value.lVal);  // a signed number keeps its minus sign
    }
}

DxProperties TDirectXInfo::ReadProperties(IDxDiagContainer* container, const DxPropertyRow* rows, size_t count)
{
    DxProperties properties;
    for (size_t i = 0; i < count; ++i)
        WithProp(container, rows[i].Name, rows[i].Type, [&](const VARIANT& value) {
            // The value is converted before its name, the order the conversions have always come in.
            std::string text = ValueText(value);
            properties.push_back({NarrowText(rows[i].Name), std::move(text)});
        });
    return properties;
}

std::string TDirectXInfo::ReadText(IDxDiagContainer* container, const wchar_t* name, VARTYPE type)
{
    std::string text;
    WithProp(container, name, type, [&](const VARIANT& value) { text = ValueText(value); });
    return text;
}

bool TDirectXInfo::ReadFlag(IDxDiagContainer* container, const wchar_t* name)
{
    bool flag = false;
    WithProp(container, name, VT_BOOL, [&](const VARIANT& value) { flag = value.boolVal != 0; });
    return flag;
}

bool TDirectXInfo::WalkList(const wchar_t* path, bool& opened, const std::function<void(IDxDiagContainer*)>& read)
{
    TComRef<IDxDiagContainer> list;
    if (FAILED(Root->GetChildContainer(path, list.Receive())) || list.Get() == nullptr) return false;
    DWORD count = 0;
    if (FAILED(list->GetNumberOfChildContainers(&count))) return false;
    opened = true;
    const DWORD nameSize = 256;
    for (DWORD index = 0; index < count; ++index) {
        WCHAR name[nameSize] = {};
        if (FAILED(list->EnumChildContainerNames(index, name, nameSize))) return false;
        name[nameSize - 1] = L'\0';
        TComRef<IDxDiagContainer> child;
        if (FAILED(list->GetChildContainer(name, child.Receive())) || child.Get() == nullptr) return false;
        read(child.Get());
    }
    return true;
}
