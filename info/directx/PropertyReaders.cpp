#include "info/directx/DirectXInfo.h"

#include <cstring>
#include <vector>

#include "info/PlatformBuffer.h"
#include "info/WideText.h"

namespace {

const int TextSize = 512;

}  // namespace

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

    size_t kept = 0;
    while (kept < length) {
        const bool pair = kept + 1 < length && Api.IsDBCSLeadByteEx(ReportCodePage, static_cast<BYTE>(buffer[kept]));
        const size_t step = pair ? 2 : 1;
        if (kept + step > TextSize - 1) break;
        kept += step;
    }
    return std::string(buffer.data(), kept);
}

bool TDirectXInfo::FetchProp(IDxDiagContainer* container, const wchar_t* name, VARTYPE type, VARIANT& value)
{
    Api.VariantInit(&value);
    if (FAILED(container->GetProp(name, &value))) return false;
    if (value.vt == type) return true;
    Api.VariantClear(&value);
    return false;
}

// One body for every reader: the property of that type, if the provider has
// it, is handed to use and cleared afterwards.
template <typename Use>
bool TDirectXInfo::WithProp(IDxDiagContainer* container, const wchar_t* name, VARTYPE type, Use use)
{
    VARIANT value;
    if (!FetchProp(container, name, type, value)) return false;
    use(value);
    Api.VariantClear(&value);
    return true;
}

// The VARIANT member a type stands for, as the report writes it.
template <VARTYPE Type>
auto TDirectXInfo::MemberText(const VARIANT& value)
{
    if constexpr (Type == VT_BSTR)
        return NarrowText(value.bstrVal);
    else if constexpr (Type == VT_BOOL)
        return value.boolVal != 0 ? "true" : "false";
    else if constexpr (Type == VT_UI4)
        return static_cast<unsigned long>(value.ulVal);
    else
        return static_cast<long>(value.lVal);
}

template <VARTYPE Type>
bool TDirectXInfo::PrintProp(IDxDiagContainer* container, const wchar_t* name)
{
    // Numbers take %u; a signed one keeps its minus sign.
    const char* const directive = Type == VT_UI4 || Type == VT_I4 ? " %s: %u\n" : " %s: %s\n";
    return WithProp(container, name, Type, [&](const VARIANT& value) {
        AddLine(boost::format(directive) % NarrowText(name) % MemberText<Type>(value));
    });
}

template <VARTYPE Type>
std::string& TDirectXInfo::GetPropText(IDxDiagContainer* container, const wchar_t* name, std::string& text)
{
    text.clear();
    WithProp(container, name, Type,
             [&](const VARIANT& value) { text = (boost::format("%s") % MemberText<Type>(value)).str(); });
    return text;
}

template bool TDirectXInfo::PrintProp<VT_BSTR>(IDxDiagContainer*, const wchar_t*);
template bool TDirectXInfo::PrintProp<VT_UI4>(IDxDiagContainer*, const wchar_t*);
template bool TDirectXInfo::PrintProp<VT_BOOL>(IDxDiagContainer*, const wchar_t*);
template bool TDirectXInfo::PrintProp<VT_I4>(IDxDiagContainer*, const wchar_t*);
template std::string& TDirectXInfo::GetPropText<VT_BOOL>(IDxDiagContainer*, const wchar_t*, std::string&);
template std::string& TDirectXInfo::GetPropText<VT_BSTR>(IDxDiagContainer*, const wchar_t*, std::string&);
template std::string& TDirectXInfo::GetPropText<VT_I4>(IDxDiagContainer*, const wchar_t*, std::string&);

void TDirectXInfo::PrintRow(IDxDiagContainer* container, const DxPropertyRow& row)
{
    switch (row.Type) {
    case VT_BSTR: PrintProp<VT_BSTR>(container, row.Name); break;
    case VT_UI4: PrintProp<VT_UI4>(container, row.Name); break;
    case VT_BOOL: PrintProp<VT_BOOL>(container, row.Name); break;
    case VT_I4: PrintProp<VT_I4>(container, row.Name); break;
    default: break;
    }
}
