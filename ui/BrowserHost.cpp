#include "ui/BrowserHost.h"

#include <mshtmhst.h>

#include <memory>

// The container side of the control: client site, in-place site and frame in
// one object. It knows only the host window, never the BrowserHost, because
// the control may keep its reference a little past the host's teardown; once
// detached, it answers as a site whose window is gone.
class BrowserHost::Site final : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDocHostUIHandler {
 public:
  explicit Site(HWND host) : host_(host) {}
  Site(const Site&) = delete;
  Site& operator=(const Site&) = delete;

  void Detach() { host_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (iid == __uuidof(IOleWindow) || iid == __uuidof(IOleInPlaceSite)) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == __uuidof(IOleInPlaceUIWindow) || iid == __uuidof(IOleInPlaceFrame)) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == __uuidof(IDocHostUIHandler)) {
      *out = static_cast<IDocHostUIHandler*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(WINBOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, for both the in-place site and the frame.
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = host_;
    return host_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return host_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = nullptr;
    *document = nullptr;  // no separate document window: the frame is all there is
    if (!host_) return E_FAIL;
    GetClientRect(host_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = host_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    *frame = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(WINBOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  // The host decides the control's size (Resize); the control does not.
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame: no toolbars, menus or status bar.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(WINBOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler: only for the flat, borderless look; the rest is the
  // control's default behaviour.
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    if (!info) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(WINBOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(WINBOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    if (key) *key = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override {
    if (target) *target = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetExternal(IDispatch** external) override {
    if (external) *external = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override {
    if (translated) *translated = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** result) override {
    if (result) *result = nullptr;
    return S_FALSE;
  }

 private:
  ~Site() = default;

  ULONG refs_ = 1;
  HWND host_;
};

namespace {

struct BstrFree {
  void operator()(BSTR text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

}  // namespace

BrowserHost::BrowserHost() = default;

BrowserHost::~BrowserHost() { Destroy(); }

HRESULT BrowserHost::Create(HWND host) {
  if (object_) return E_UNEXPECTED;
  if (!IsWindow(host)) return E_INVALIDARG;
  site_ = ComPtr<Site>(new Site(host));
  HRESULT result = Activate(host);
  if (FAILED(result)) Destroy();
  return result;
}

HRESULT BrowserHost::Activate(HWND host) {
  HRESULT result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(object_.put()));
  if (FAILED(result)) return result;
  result = object_->SetClientSite(site_.get());
  if (FAILED(result)) return result;
  RECT area;
  GetClientRect(host, &area);
  result = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, host, &area);
  if (FAILED(result)) return result;
  inPlace_ = object_.As<IOleInPlaceObject>();
  browser_ = object_.As<IWebBrowser2>();
  if (!inPlace_ || !browser_) return E_NOINTERFACE;
  // Without an active object only the keyboard shortcuts are lost.
  active_ = object_.As<IOleInPlaceActiveObject>();
  // A script error dialog would block the whole window until answered.
  return browser_->put_Silent(VARIANT_TRUE);
}

void BrowserHost::Destroy() {
  if (inPlace_) inPlace_->InPlaceDeactivate();
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  if (site_) site_->Detach();
  active_.reset();
  browser_.reset();
  inPlace_.reset();
  object_.reset();
  site_.reset();
}

void BrowserHost::Resize(int width, int height) {
  if (!inPlace_) return;
  RECT area{0, 0, width, height};
  inPlace_->SetObjectRects(&area, &area);
}

HRESULT BrowserHost::Navigate(const wchar_t* url, VARIANT* flags, VARIANT* targetFrameName,
                              VARIANT* postData, VARIANT* headers) {
  if (!browser_) return E_UNEXPECTED;
  if (!url) return E_POINTER;
  UniqueBstr text(SysAllocString(url));
  if (!text) return E_OUTOFMEMORY;
  VARIANT omitted;
  VariantInit(&omitted);
  omitted.vt = VT_ERROR;
  omitted.scode = DISP_E_PARAMNOTFOUND;
  auto argument = [&omitted](VARIANT* given) { return given ? given : &omitted; };
  return browser_->Navigate(text.get(), argument(flags), argument(targetFrameName),
                            argument(postData), argument(headers));
}

bool BrowserHost::TranslateAccelerator(MSG* msg) {
  if (!msg || !active_ || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  return active_->TranslateAccelerator(msg) == S_OK;
}
