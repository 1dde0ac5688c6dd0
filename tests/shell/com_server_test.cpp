// Corvane.dll as a COM server: module lifetime, the class factory, object identity, aggregation
// and IDispatch through the embedded type library.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include "shell/dll/identifiers.h"
#include "tests/support/shell_host.h"

namespace corvane::test {
namespace {

ComPtr<IClassFactory> GetFactory() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(S_OK,
            Corvane().getClassObject(CLSID_CorvaneShell, IID_IClassFactory, factory.ReceiveVoid()));
  return factory;
}

bool CanUnload() {
  return Corvane().canUnloadNow() == S_OK;
}

// An outer object that aggregates a CorvaneShell and counts the references it is given.
class Outer final : public IUnknown {
public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (ppv == nullptr) {
      return E_POINTER;
    }
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    if (IsEqualIID(riid, IID_IClassFactory)) {
      return E_NOINTERFACE; // never the inner object's either
    }
    return inner_.Get() != nullptr ? inner_->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++refCount_; }
  STDMETHODIMP_(ULONG) Release() noexcept override { return --refCount_; }

  ULONG refCount_ = 1;
  ComPtr<IUnknown> inner_;
};

TEST(ComServer, LockCountFollowsObjectsFactoriesAndServerLocks) {
  ASSERT_NE(nullptr, Corvane().module);
  ASSERT_NE(nullptr, Corvane().canUnloadNow);
  EXPECT_TRUE(CanUnload()) << "nothing alive right after loading";

  ComPtr<IClassFactory> first = GetFactory();
  ComPtr<IClassFactory> second = GetFactory();
  ASSERT_TRUE(first);
  EXPECT_EQ(first.Get(), second.Get()) << "one cached factory per class";
  EXPECT_FALSE(CanUnload()) << "outside references to the factory hold the module";
  first.Reset();
  EXPECT_FALSE(CanUnload());
  second.Reset();
  EXPECT_TRUE(CanUnload()) << "the object map's own reference does not hold the module";

  {
    ComPtr<IClassFactory> factory = GetFactory();
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid()));
    factory.Reset();
    EXPECT_FALSE(CanUnload()) << "a live object holds the module";
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
    menu.Reset();
    EXPECT_FALSE(CanUnload()) << "until its last reference is gone";
  }
  EXPECT_TRUE(CanUnload());

  {
    ComPtr<IClassFactory> factory = GetFactory();
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_FALSE(CanUnload()) << "one server lock is still outstanding";
    factory = GetFactory();
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  }
  EXPECT_TRUE(CanUnload());
}

TEST(ComServer, ClassObjectLookupRefusesOtherClassesAndNullOutPointers) {
  ComPtr<IUnknown> object;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
            Corvane().getClassObject(IID_IContextMenu, IID_IClassFactory, object.ReceiveVoid()));
  EXPECT_EQ(nullptr, object.Get());
  EXPECT_EQ(E_POINTER, Corvane().getClassObject(CLSID_CorvaneShell, IID_IClassFactory, nullptr));
  EXPECT_EQ(E_NOINTERFACE,
            Corvane().getClassObject(CLSID_CorvaneShell, IID_IDispatch, object.ReceiveVoid()));
  EXPECT_EQ(S_OK, Corvane().getClassObject(CLSID_CorvaneShell, IID_IUnknown, object.ReceiveVoid()));
  object.Reset();

  ComPtr<IClassFactory> factory = GetFactory();
  EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IContextMenu, nullptr));
  EXPECT_EQ(E_POINTER, factory->QueryInterface(IID_IUnknown, nullptr));
  factory.Reset();
  EXPECT_TRUE(CanUnload());
}

TEST(ComServer, EveryIdentityInterfaceIsTheSamePointer) {
  ComPtr<IClassFactory> factory = GetFactory();
  ComPtr<IContextMenu> menu;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid()));

  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  ComPtr<IUnknown> dual;
  ComPtr<IShellExtInit> init;
  ComPtr<IUnknown> unknownFromInit;
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, unknown.ReceiveVoid()));
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()));
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_ICorvaneShell, dual.ReceiveVoid()));
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
  ASSERT_EQ(S_OK, init->QueryInterface(IID_IUnknown, unknownFromInit.ReceiveVoid()));
  EXPECT_EQ(unknown.Get(), static_cast<IUnknown*>(dispatch.Get()));
  EXPECT_EQ(unknown.Get(), dual.Get());
  EXPECT_EQ(unknown.Get(), unknownFromInit.Get());
  EXPECT_NE(static_cast<void*>(unknown.Get()), static_cast<void*>(init.Get()));

  ComPtr<IUnknown> none;
  EXPECT_EQ(E_NOINTERFACE, menu->QueryInterface(IID_IClassFactory, none.ReceiveVoid()));
  EXPECT_EQ(nullptr, none.Get());
  EXPECT_EQ(E_POINTER, menu->QueryInterface(IID_IUnknown, nullptr));
}

TEST(ComServer, CreatingForAnUnknownInterfaceFailsAndLeavesNothingAlive) {
  ComPtr<IClassFactory> factory = GetFactory();
  factory->LockServer(TRUE); // keeps the count away from zero so a leak would show as a change
  factory.Reset();
  factory = GetFactory();
  ComPtr<IUnknown> object;
  EXPECT_EQ(E_NOINTERFACE,
            factory->CreateInstance(nullptr, IID_IClassFactory, object.ReceiveVoid()));
  EXPECT_EQ(nullptr, object.Get());
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_TRUE(CanUnload()) << "the refused object was destroyed";
}

TEST(ComServer, AggregationHandsOutOnlyTheInnerUnknownAndDelegatesToTheOuterObject) {
  ComPtr<IClassFactory> factory = GetFactory();
  Outer outer;
  ComPtr<IUnknown> refused;
  EXPECT_EQ(CLASS_E_NOAGGREGATION,
            factory->CreateInstance(&outer, IID_IContextMenu, refused.ReceiveVoid()));
  EXPECT_EQ(nullptr, refused.Get());

  ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, outer.inner_.ReceiveVoid()));
  factory.Reset();
  EXPECT_FALSE(CanUnload()) << "the aggregated object holds the module";
  EXPECT_EQ(1u, outer.refCount_) << "creating the inner object takes no outer reference";

  {
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IContextMenu, menu.ReceiveVoid()));
    EXPECT_EQ(2u, outer.refCount_) << "the inner object's references are the outer object's";

    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, identity.ReceiveVoid()));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.Get()) << "identity is the outer object";
    identity.Reset();

    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
    EXPECT_EQ(3u, outer.refCount_);
  }
  EXPECT_EQ(1u, outer.refCount_);

  ComPtr<IUnknown> innerUnknown;
  ASSERT_EQ(S_OK, outer.inner_->QueryInterface(IID_IUnknown, innerUnknown.ReceiveVoid()));
  EXPECT_EQ(outer.inner_.Get(), innerUnknown.Get()) << "the inner unknown answers for itself";
  innerUnknown.Reset();
  outer.inner_.Reset();
  EXPECT_TRUE(CanUnload()) << "releasing the inner unknown destroys the aggregated object";
}

TEST(ComServer, DispatchUsesTheRegisteredTypeLibrary) {
  ComPtr<IClassFactory> factory = GetFactory();
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, dispatch.ReceiveVoid()));
  factory.Reset();

  UINT count = 0;
  EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(E_INVALIDARG, dispatch->GetTypeInfoCount(nullptr));
  EXPECT_EQ(E_POINTER, dispatch->GetTypeInfo(0, 0x0409, nullptr));

  // The library as Corvane.dll embeds it: 64-bit, version 1.0, English.
  const std::wstring modulePath = [] {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(Corvane().module, path, MAX_PATH);
    return std::wstring(path);
  }();
  ComPtr<ITypeLib> library;
  ASSERT_EQ(S_OK, LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.Receive()));
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(LIBID_CORVANELib, attributes->guid));
  EXPECT_EQ(SYS_WIN64, attributes->syskind);
  EXPECT_EQ(1, attributes->wMajorVerNum);
  EXPECT_EQ(0, attributes->wMinorVerNum);
  EXPECT_EQ(0x0409u, attributes->lcid);
  library->ReleaseTLibAttr(attributes);
  BSTR help = nullptr;
  ASSERT_EQ(S_OK, library->GetDocumentation(-1, nullptr, &help, nullptr, nullptr));
  EXPECT_STREQ(L"Corvane 1.0 Type Library", help);
  SysFreeString(help);

  // Not registered yet: every IDispatch call answers the loader's failure.
  UnRegisterTypeLib(LIBID_CORVANELib, 1, 0, 0x0409, SYS_WIN64);
  ComPtr<ITypeInfo> typeInfo;
  EXPECT_TRUE(FAILED(dispatch->GetTypeInfo(0, 0x0409, typeInfo.Receive())));
  EXPECT_EQ(nullptr, typeInfo.Get());

  ASSERT_EQ(S_OK,
            RegisterTypeLib(library.Get(), const_cast<wchar_t*>(modulePath.c_str()), nullptr));
  ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, 0x0409, typeInfo.Receive()));
  TYPEATTR* typeAttributes = nullptr;
  ASSERT_EQ(S_OK, typeInfo->GetTypeAttr(&typeAttributes));
  EXPECT_TRUE(IsEqualGUID(IID_ICorvaneShell, typeAttributes->guid));
  EXPECT_TRUE(typeAttributes->wTypeFlags & TYPEFLAG_FDUAL);
  typeInfo->ReleaseTypeAttr(typeAttributes);
  ASSERT_EQ(S_OK, typeInfo->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr));
  EXPECT_STREQ(L"ICorvaneShell Interface", help);
  SysFreeString(help);

  ComPtr<ITypeInfo> sameTypeInfo;
  EXPECT_EQ(S_OK, dispatch->GetTypeInfo(5, 0x0409, sameTypeInfo.Receive()))
      << "the index chooses nothing";
  EXPECT_EQ(typeInfo.Get(), sameTypeInfo.Get()) << "loaded once and kept";

  wchar_t unknownName[] = L"Frobnicate";
  LPOLESTR names[] = {unknownName};
  DISPID id = 0;
  EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id));
  EXPECT_EQ(E_POINTER, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x0409, nullptr));

  // Whatever the type information itself answers for the names it holds, the object answers too.
  for (const wchar_t* member : {L"QueryInterface", L"AddRef", L"Invoke", L"GetTypeInfoCount"}) {
    LPOLESTR asked[] = {const_cast<LPOLESTR>(member)};
    DISPID fromTypeInfo = 0;
    DISPID fromObject = 0;
    const HRESULT expected = typeInfo->GetIDsOfNames(asked, 1, &fromTypeInfo);
    EXPECT_EQ(expected, dispatch->GetIDsOfNames(IID_NULL, asked, 1, 0x0409, &fromObject));
    if (SUCCEEDED(expected)) {
      EXPECT_EQ(fromTypeInfo, fromObject);
    }
  }

  DISPPARAMS noArguments = {};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, dispatch->Invoke(1, IID_NULL, 0x0409, DISPATCH_METHOD,
                                                    &noArguments, &result, nullptr, nullptr));
  EXPECT_EQ(E_INVALIDARG, dispatch->Invoke(1, IID_NULL, 0x0409, DISPATCH_METHOD, nullptr, &result,
                                           nullptr, nullptr));

  EXPECT_EQ(S_OK, UnRegisterTypeLib(LIBID_CORVANELib, 1, 0, 0x0409, SYS_WIN64));
}

} // namespace
} // namespace corvane::test
