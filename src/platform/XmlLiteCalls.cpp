#include "platform/ComCalls.h"
#include "platform/Text.h"
#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"

#include <shlwapi.h>

#include <initguid.h>
#include <xmllite.h>

namespace platform {

namespace {

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
using CreateInput = HRESULT(WINAPI*)(IUnknown*, IMalloc*, LPCWSTR, BOOL, LPCWSTR, IXmlReaderInput**);

// MinGW has no import library for xmllite.dll: its two functions are found at first use.
template <class Function>
Function xmlLite(const char* name)
{
    static const HMODULE module = ::LoadLibraryW(L"xmllite.dll");
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

HRESULT lastError()
{
    return HRESULT_FROM_WIN32(::GetLastError() ? ::GetLastError() : ERROR_PROC_NOT_FOUND);
}

HRESULT createReader(const std::string& xml, IXmlReader** created)
{
    *created = nullptr;
    const auto createReader = xmlLite<CreateReader>("CreateXmlReader");
    const auto createInput = xmlLite<CreateInput>("CreateXmlReaderInputWithEncodingName");
    if (!createReader || !createInput)
        return lastError();
    std::wstring wide;
    if (!Text::toWide(xml, wide))
        return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    // The text is UTF-16 whatever its declaration says: the service hands it over as such.
    ComPtr<IStream> stream;
    *reinterpret_cast<IStream**>(stream.put()) = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(wide.data()),
                                                                     static_cast<UINT>(wide.size() * sizeof(wchar_t)));
    if (!stream.get())
        return E_OUTOFMEMORY;
    ComPtr<IXmlReaderInput> input;
    ComPtr<IXmlReader> reader;
    HRESULT result =
        createInput(stream.get(), nullptr, L"utf-16", FALSE, nullptr, reinterpret_cast<IXmlReaderInput**>(input.put()));
    if (SUCCEEDED(result))
        result = createReader(IID_IXmlReader, reader.put(), nullptr);
    // A definition never needs a document type; one is refused rather than expanded.
    if (SUCCEEDED(result))
        result = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (SUCCEEDED(result))
        result = reader->SetInput(input.get());
    if (SUCCEEDED(result))
        *created = reader.release();
    return result;
}

std::string text(const WCHAR* units, UINT length)
{
    return Text::toUtf8(std::wstring(units, length));
}

HRESULT readNode(IXmlReader* reader, XmlNode& node)
{
    XmlNodeType type = XmlNodeType_None;
    HRESULT result = reader->Read(&type);
    if (result != S_OK)
        return result;
    node = XmlNode();
    node.type = type;
    const WCHAR* units = nullptr;
    UINT length = 0;
    if (type == XmlNodeType_Element || type == XmlNodeType_EndElement) {
        result = reader->GetLocalName(&units, &length);
        node.name = text(units, length);
        node.empty = type == XmlNodeType_Element && reader->IsEmptyElement();
    } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA) {
        result = reader->GetValue(&units, &length);
        node.value = text(units, length);
    }
    return result;
}

} // namespace

void installXmlLiteCalls(Win32Api& api)
{
    api.XmlReaderCreateU = createReader;
    api.XmlReaderReadU = readNode;
}

} // namespace platform
