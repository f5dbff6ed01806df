#pragma once
// Hosts the system WebBrowser control in a window the caller owns, through a
// minimal OLE container site of our own.
//
// The calling thread must have called OleInitialize (the control needs a
// single-threaded apartment with OLE's clipboard and drag-and-drop set up),
// and must pump messages for the control to do anything.

#include <windows.h>
#include <exdisp.h>
#include <oleidl.h>

#include "ui/ComPtr.h"

class BrowserHost {
 public:
  BrowserHost();
  ~BrowserHost();
  BrowserHost(const BrowserHost&) = delete;
  BrowserHost& operator=(const BrowserHost&) = delete;

  // Creates the control and activates it in place, filling `host`'s client
  // area. On failure returns the failing result and holds nothing; a host
  // that already holds a control gives E_UNEXPECTED.
  HRESULT Create(HWND host);
  void Resize(int width, int height);
  // IWebBrowser2::Navigate; a null argument is passed as an omitted one.
  HRESULT Navigate(const wchar_t* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                   VARIANT* headers);
  // Lets the control handle its keyboard shortcuts (Tab, Ctrl+C, ...);
  // true if it consumed `msg`, which must then not be dispatched.
  bool TranslateAccelerator(MSG* msg);
  IWebBrowser2* Browser() const { return browser_.get(); }

 private:
  class Site;

  HRESULT Activate(HWND host);
  void Destroy();

  ComPtr<Site> site_;
  ComPtr<IOleObject> object_;
  ComPtr<IOleInPlaceObject> inPlace_;
  ComPtr<IOleInPlaceActiveObject> active_;
  ComPtr<IWebBrowser2> browser_;
};
