#include "app/win32/picture.h"

#include <wincodec.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kMaxSide = 16384;

void InitialiseComOnce() {
  // Kept for the life of the GUI thread; a thread already in another apartment still has COM.
  static const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)result;
}

struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

ResourceBytes FindRcData(int resourceId) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return {};
  return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, found)};
}

HBITMAP CreateTopDownDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

HBITMAP LoadJpegResource(int resourceId, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  ResourceBytes bytes = FindRcData(resourceId);
  if (!bytes.data || bytes.size == 0) return nullptr;

  InitialiseComOnce();
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&factory))))
    return nullptr;
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data), bytes.size)))
    return nullptr;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                              WICDecodeMetadataCacheOnDemand, &decoder)))
    return nullptr;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return nullptr;

  ComPtr<IWICBitmapSource> source = frame;
  UINT sourceWidth = 0, sourceHeight = 0;
  if (FAILED(frame->GetSize(&sourceWidth, &sourceHeight))) return nullptr;
  if (sourceWidth != static_cast<UINT>(width) || sourceHeight != static_cast<UINT>(height)) {
    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(source.Get(), width, height, WICBitmapInterpolationModeFant)))
      return nullptr;
    source = scaler;
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return nullptr;

  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownDib(width, height, &bits);
  if (!bitmap) return nullptr;
  const UINT stride = static_cast<UINT>(width) * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height),
                                   static_cast<BYTE*>(bits)))) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}
