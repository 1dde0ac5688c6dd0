#include "tests/support/shell_host.h"

#include <chrono>
#include <fstream>
#include <iterator>

#include "shell/dll/identifiers.h"
#include "tests/support/window_driver.h"
#include "tools/explorer/hdrop_data_object.h"

namespace corvane::test {
namespace {

constexpr char kHashModuleKey[] = "Software\\Corvane 2004";

template <typename Char>
HRESULT InitializeWithNames(IContextMenu* menu, const std::vector<std::basic_string<Char>>& paths) {
  ComPtr<IDataObject> data;
  *data.Receive() = HDropDataObject::Create(paths);
  return InitializeWithData(menu, data.Get());
}

} // namespace

const CorvaneDll& Corvane() {
  static const CorvaneDll dll = [] {
    CorvaneDll loaded{};
    loaded.module = LoadLibraryA("Corvane.dll");
    if (loaded.module != nullptr) {
      loaded.getClassObject = reinterpret_cast<GetClassObjectFunction>(
          reinterpret_cast<void (*)()>(GetProcAddress(loaded.module, "DllGetClassObject")));
      loaded.canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(
          reinterpret_cast<void (*)()>(GetProcAddress(loaded.module, "DllCanUnloadNow")));
    }
    return loaded;
  }();
  return dll;
}

std::string StandInPath() {
  return BinDir() + "hash_stand_in.dll";
}
std::string NoHashStandInPath() {
  return BinDir() + "no_hash_stand_in.dll";
}

ComPtr<IContextMenu> CreateContextMenu() {
  ComPtr<IClassFactory> factory;
  ComPtr<IContextMenu> menu;
  if (Corvane().getClassObject == nullptr ||
      FAILED(
          Corvane().getClassObject(CLSID_CorvaneShell, IID_IClassFactory, factory.ReceiveVoid()))) {
    return menu;
  }
  factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid());
  return menu;
}

HRESULT InitializeWithData(IContextMenu* menu, IDataObject* data) {
  ComPtr<IShellExtInit> init;
  const HRESULT hr = menu->QueryInterface(IID_IShellExtInit, init.ReceiveVoid());
  if (FAILED(hr)) {
    return hr;
  }
  return init->Initialize(nullptr, data, nullptr);
}

HRESULT InitializeWith(IContextMenu* menu, const std::vector<std::string>& paths) {
  return InitializeWithNames(menu, paths);
}

HRESULT InitializeWith(IContextMenu* menu, const std::vector<std::wstring>& paths) {
  return InitializeWithNames(menu, paths);
}

HRESULT InvokeByOffset(IContextMenu* menu, UINT offset) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}

HashModuleValue::HashModuleValue() {
  ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHashModuleKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return;
  }
  keyExisted_ = true;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type_, nullptr, &size) != ERROR_SUCCESS) {
    return;
  }
  data_.resize(size);
  valueExisted_ =
      RegQueryValueExA(key.Get(), nullptr, nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
}

HashModuleValue::~HashModuleValue() {
  if (!keyExisted_) {
    RemoveKey();
    return;
  }
  ScopedRegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHashModuleKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  if (valueExisted_) {
    RegSetValueExA(key.Get(), nullptr, 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
  } else {
    RegDeleteValueA(key.Get(), nullptr);
  }
}

void HashModuleValue::SetPath(const std::string& path) {
  SetBytes(path.c_str(), static_cast<DWORD>(path.size() + 1));
}

void HashModuleValue::SetBytes(const void* data, DWORD size) {
  ScopedRegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHashModuleKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                      key.Receive(), nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, static_cast<const BYTE*>(data), size);
  }
}

void HashModuleValue::RemoveKey() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kHashModuleKey);
}

StandInRecorder::StandInRecorder() {
  char dir[MAX_PATH];
  char file[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "cvr", 0, file);
  path_ = file;
  DeleteFileA(path_.c_str());
  SetEnvironmentVariableA("CORVANE_STAND_IN_RECORD", path_.c_str());
}

StandInRecorder::~StandInRecorder() {
  SetEnvironmentVariableA("CORVANE_STAND_IN_RECORD", nullptr);
  DeleteFileA(path_.c_str());
}

HashCall StandInRecorder::Take() {
  HashCall call;
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    return call;
  }
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  DeleteFileA(path_.c_str());
  const std::size_t lineEnd = content.find('\n');
  if (lineEnd == std::string::npos) {
    return call;
  }
  call.called = true;
  call.mode = std::stoi(content.substr(0, lineEnd));
  call.list = content.substr(lineEnd + 1);
  return call;
}

MessageBoxAnswerer::MessageBoxAnswerer(std::string caption, int textControl)
    : caption_(std::move(caption)), textControl_(textControl) {
  // Wine sets up a process's window system once, on the first thread that needs it, and loads the
  // display driver while doing so. Were that the answering thread while this one loads a DLL whose
  // start-up registers window classes, each would wait for the other for ever: this thread sets it
  // up first.
  ::GetDesktopWindow();
  thread_ = std::thread([this] { Run(); });
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  Stop();
}

void MessageBoxAnswerer::Stop() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
}

void MessageBoxAnswerer::Run() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!stop_ && std::chrono::steady_clock::now() < deadline) {
    HWND box = FindVisibleWindow(GetCurrentProcessId(),
                                 [this](HWND window) { return WindowText(window) == caption_; });
    if (box != nullptr) {
      // A message box shows its text in the static control 0xFFFF.
      text_ = ControlText(box, textControl_);
      hadOwner_ = GetWindow(box, GW_OWNER) != nullptr;
      answered_ = true;
      SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      return;
    }
    Sleep(20);
  }
}

} // namespace corvane::test
