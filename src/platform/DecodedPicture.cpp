#include "platform/DecodedPicture.h"

#include "platform/Gdi.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <climits>
#include <utility>

namespace corvale {

using Microsoft::WRL::ComPtr;

namespace {

// Joins the thread's apartment, or makes one for the decode: the imaging component is
// reached through COM, and a thread of a test or a tool may have none.
class ApartmentForDecode {
public:
    ApartmentForDecode() : m_joined(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ApartmentForDecode()
    {
        // Only a successful join is paired: a thread of the multithreaded apartment
        // answers RPC_E_CHANGED_MODE and decodes there.
        if (SUCCEEDED(m_joined))
            ::CoUninitialize();
    }
    ApartmentForDecode(const ApartmentForDecode&) = delete;
    ApartmentForDecode& operator=(const ApartmentForDecode&) = delete;

private:
    HRESULT m_joined;
};

ComPtr<IWICBitmapSource> FirstFrameAsPremultipliedBgra(IWICImagingFactory* factory, const std::uint8_t* bytes,
                                                       std::size_t size)
{
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    if (size > MAXDWORD || FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    return converter;
}

} // namespace

bool DecodedPicture::Decode(const std::uint8_t* bytes, std::size_t size)
{
    m_bitmap.Reset();
    m_width = 0;
    m_height = 0;
    ApartmentForDecode apartment;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return false;
    ComPtr<IWICBitmapSource> source = FirstFrameAsPremultipliedBgra(factory.Get(), bytes, size);
    UINT width = 0;
    UINT height = 0;
    if (!source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > INT_MAX / 4 / height)
        return false;
    void* bits = nullptr; // top-down, as the component writes rows
    GdiObject bitmap(CreateTopDownDib32(nullptr, static_cast<int>(width), static_cast<int>(height), &bits));
    const UINT stride = width * 4;
    if (!bitmap || !bits || FAILED(source->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return false;
    m_bitmap = std::move(bitmap);
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
}

bool DecodedPicture::Render(HDC target, int left, int top, int width, int height) const
{
    if (!m_bitmap)
        return false;
    MemoryDc source(::CreateCompatibleDC(target));
    if (!source)
        return false;
    SelectGuard select(source.Get(), m_bitmap.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::GdiAlphaBlend(target, left, top, width, height, source.Get(), 0, 0, m_width, m_height, blend) != FALSE;
}

} // namespace corvale
