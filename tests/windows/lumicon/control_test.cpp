// The SysTray control through its COM interfaces: what it sends to the shell,
// what it tells its container, what it saves, and the events it raises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"
#include "spy.h"

namespace {

constexpr DISPID kVisible = 0x68030000;
constexpr DISPID kIcon = 0x68030001;
constexpr UINT kTrayCallback = 0x445;

using SysTrayTest = SpiedTest;

// One expected shell call; icon: 0 none, 1 the test icon.
struct Expected {
  DWORD message;
  UINT flags;
  std::string tip;
  int icon;
};

struct RecordCase {
  const char* name;
  std::function<void(const Control&, IPictureDisp* icon)> steps;
  std::vector<Expected> calls;
};

TEST_F(SysTrayTest, ShellRecordsFollowTheProperties) {
  const std::string long127(127, 'x');
  const RecordCase cases[] = {
      {"bare add", [](const Control& c, IPictureDisp*) { c.show(true); }, {{NIM_ADD, NIF_MESSAGE, "", 0}}},
      {"add with icon and caption",
       [](const Control& c, IPictureDisp* icon) {
         c.caption(L"Veilmark");
         c.icon(icon);
         c.show(true);
       },
       {{NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP, "Veilmark", 1}}},
      {"visible twice adds once",
       [](const Control& c, IPictureDisp*) {
         c.show(true);
         c.show(true);
       },
       {{NIM_ADD, NIF_MESSAGE, "", 0}}},
      {"caption in tray",
       [](const Control& c, IPictureDisp*) {
         c.show(true);
         c.caption(L"abc");
       },
       {{NIM_ADD, NIF_MESSAGE, "", 0}, {NIM_MODIFY, NIF_TIP, "abc", 0}}},
      {"empty caption in tray clears the tooltip",
       [](const Control& c, IPictureDisp*) {
         c.caption(L"abc");
         c.show(true);
         c.caption(L"");
       },
       {{NIM_ADD, NIF_MESSAGE | NIF_TIP, "abc", 0}, {NIM_MODIFY, NIF_TIP, "", 0}}},
      {"icon in tray",
       [](const Control& c, IPictureDisp* icon) {
         c.show(true);
         c.icon(icon);
       },
       {{NIM_ADD, NIF_MESSAGE, "", 0}, {NIM_MODIFY, NIF_ICON, "", 1}}},
      {"no icon in tray",
       [](const Control& c, IPictureDisp* icon) {
         c.icon(icon);
         c.show(true);
         c.icon(nullptr);
       },
       {{NIM_ADD, NIF_MESSAGE | NIF_ICON, "", 1}, {NIM_MODIFY, NIF_ICON, "", 0}}},
      {"bitmap is ignored",
       [](const Control& c, IPictureDisp*) {
         c.show(true);
         c.icon(bitmapPicture().get());
       },
       {{NIM_ADD, NIF_MESSAGE, "", 0}}},
      {"hide deletes",
       [](const Control& c, IPictureDisp*) {
         c.show(true);
         c.show(false);
       },
       {{NIM_ADD, NIF_MESSAGE, "", 0}, {NIM_DELETE, 0, "", 0}}},
      {"changes out of the tray are only stored",
       [](const Control& c, IPictureDisp* icon) {
         c.caption(L"abc");
         c.icon(icon);
         c.show(false);
       },
       {}},
      {"200 characters show 127",
       [](const Control& c, IPictureDisp*) {
         c.show(true);
         c.caption(std::wstring(200, L'x'));
       },
       {{NIM_ADD, NIF_MESSAGE, "", 0}, {NIM_MODIFY, NIF_TIP, long127, 0}}},
      {"a cut never splits a surrogate pair",
       [](const Control& c, IPictureDisp*) {
         c.caption(std::wstring(126, L'x') + L"\xD83D\xDE00");
         c.show(true);
       },
       {{NIM_ADD, NIF_MESSAGE | NIF_TIP, std::string(126, 'x'), 0}}},
      {"Cyrillic fills the field byte for byte",
       [](const Control& c, IPictureDisp*) {
         c.caption(std::wstring(150, L'\x0416'));
         c.show(true);
       },
       {{NIM_ADD, NIF_MESSAGE | NIF_TIP, std::string(127, '\xC6'), 0}}},
  };
  const ox::Ptr<IPictureDisp> icon = iconPicture();
  for (const RecordCase& test : cases) {
    SCOPED_TRACE(test.name);
    spy::calls.clear();
    const Control control = createControl();
    test.steps(control, icon.get());
    ASSERT_EQ(spy::calls.size(), test.calls.size());
    for (size_t i = 0; i < test.calls.size(); ++i) {
      const ShellCall& call = spy::calls[i];
      const Expected& expected = test.calls[i];
      EXPECT_EQ(call.message, expected.message) << "call " << i;
      EXPECT_EQ(call.size(), NOTIFYICONDATAA_V2_SIZE);
      EXPECT_EQ(call.window(), control.window);
      EXPECT_EQ(call.id(), 0u);
      EXPECT_EQ(call.flags(), expected.flags) << "call " << i;
      EXPECT_EQ(call.tip(), expected.tip) << "call " << i;
      EXPECT_EQ(call.icon(), expected.icon ? handleOf(icon.get()) : nullptr) << "call " << i;
      EXPECT_EQ(call.callbackMessage(), expected.message == NIM_ADD ? kTrayCallback : 0u);
      EXPECT_TRUE(call.restIsZero()) << "call " << i;
    }
  }
}

TEST_F(SysTrayTest, ShellVersionDecidesLayoutAndTipLength) {
  struct Case {
    const char* name;
    ShellVersion version;
    DWORD size;
    size_t tip;
  };
  const Case cases[] = {
      {"this shell", ShellVersion::Real, NOTIFYICONDATAA_V2_SIZE, 127},
      {"version 5", ShellVersion::Five, NOTIFYICONDATAA_V2_SIZE, 127},
      {"version 4", ShellVersion::Four, NOTIFYICONDATAA_V1_SIZE, 63},
      {"no DllGetVersion", ShellVersion::Missing, NOTIFYICONDATAA_V1_SIZE, 63},
      {"failing DllGetVersion", ShellVersion::Failing, NOTIFYICONDATAA_V1_SIZE, 63},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    spy::reset();
    spy::version = test.version;
    const Control control = createControl();
    control.caption(std::wstring(200, L'\x0416'));
    control.show(true);
    control.show(false);
    ASSERT_EQ(spy::calls.size(), 2u);
    EXPECT_EQ(spy::calls[0].size(), test.size);
    EXPECT_EQ(spy::calls[0].tip(), std::string(test.tip, '\xC6'));
    EXPECT_TRUE(spy::calls[0].restIsZero());
    EXPECT_EQ(spy::calls[1].size(), test.size);
  }
}

TEST_F(SysTrayTest, ContainerHearsOfRealChangesOnly) {
  struct Case {
    const char* name;
    std::function<void(const Control&)> step;
    std::vector<DISPID> changed;
  };
  const Case cases[] = {
      {"visible", [](const Control& c) { c.show(true); }, {kVisible}},
      {"visible to its value", [](const Control& c) { c.show(false); }, {}},
      {"caption", [](const Control& c) { c.caption(L"a"); }, {DISPID_TEXT}},
      {"icon", [](const Control& c) { c.icon(iconPicture().get()); }, {kIcon}},
      {"no icon", [](const Control& c) { c.icon(nullptr); }, {kIcon}},
      {"bitmap", [](const Control& c) { c.icon(bitmapPicture().get()); }, {}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const Control control = createControl();
    ox::Ptr<ChangeSink> sink(new ChangeSink);
    sink->Release();
    control.advise(sink.get(), IID_IPropertyNotifySink);
    test.step(control);
    EXPECT_EQ(sink->changed, test.changed);
  }
}

TEST_F(SysTrayTest, GettersReturnWhatWasSet) {
  const Control control = createControl();
  control.show(true);
  control.caption(std::wstring(200, L'x'));
  EXPECT_EQ(control.caption(), std::wstring(200, L'x'));
  const ox::Ptr<IPictureDisp> icon = iconPicture();
  control.icon(icon.get());
  control.icon(bitmapPicture().get());
  EXPECT_EQ(control.icon().get(), icon.get());
  control.icon(nullptr);
  EXPECT_FALSE(control.icon());
}

TEST_F(SysTrayTest, DesignModeOnlyStoresVisible) {
  struct Case {
    const char* name;
    bool site;
    bool userMode;
    bool shown;
  };
  const Case cases[] = {
      {"designing", true, false, false},
      {"running", true, true, true},
      {"no site at all", false, false, true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    spy::calls.clear();
    ox::Ptr<TestSite> site(test.site ? new TestSite(test.userMode, L"stMain") : nullptr);
    if (site) site->Release();
    const Control control = createControl(site.get(), true);
    const LONG_PTR procedure = GetWindowLongPtrW(control.window, GWLP_WNDPROC);
    control.show(true);
    EXPECT_TRUE(control.visible());
    EXPECT_EQ(spy::calls.size(), test.shown ? 1u : 0u);
    EXPECT_EQ(GetWindowLongPtrW(control.window, GWLP_WNDPROC) != procedure, test.shown);
    EXPECT_EQ(GetPropA(control.window, "{B42988D0-98EC-4174-ABB3-EF0B08ED5E38}") != nullptr, test.shown);
  }
}

TEST_F(SysTrayTest, PropertyBagKeepsWhatDiffersFromDefaults) {
  const ox::Ptr<IPictureDisp> icon = iconPicture();
  ox::Ptr<TestBag> fresh(new TestBag), full(new TestBag);
  fresh->Release();
  full->Release();
  {
    const Control control = createControl();
    ASSERT_HRESULT_SUCCEEDED(control.as<IPersistPropertyBag>()->Save(fresh.get(), TRUE, TRUE));
    control.caption(L"Veilmark");
    control.icon(icon.get());
    control.show(true);
    ASSERT_HRESULT_SUCCEEDED(control.as<IPersistPropertyBag>()->Save(full.get(), TRUE, TRUE));
  }
  ASSERT_EQ(fresh->values.size(), 1u);
  EXPECT_STREQ(V_BSTR(&fresh->values[L"DevoteTo"]), L"Tamsel ^_^");
  ASSERT_EQ(full->values.size(), 4u);
  EXPECT_EQ(V_BOOL(&full->values[L"Visible"]), VARIANT_TRUE);
  EXPECT_STREQ(V_BSTR(&full->values[L"Caption"]), L"Veilmark");
  EXPECT_EQ(V_UNKNOWN(&full->values[L"Icon"]), icon.get());

  // Loaded at run time, a stored True adds the bare icon first; icon and caption follow.
  spy::calls.clear();
  ox::Ptr<TestSite> site(new TestSite(true, L"stMain"));
  site->Release();
  const Control loaded = createControl(site.get());
  ASSERT_HRESULT_SUCCEEDED(loaded.as<IPersistPropertyBag>()->Load(full.get(), nullptr));
  EXPECT_TRUE(loaded.visible());
  EXPECT_EQ(loaded.caption(), L"Veilmark");
  EXPECT_EQ(loaded.icon().get(), icon.get());
  ASSERT_EQ(spy::calls.size(), 3u);
  EXPECT_EQ(spy::calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(spy::calls[0].flags(), static_cast<UINT>(NIF_MESSAGE));
  EXPECT_EQ(spy::calls[1].flags(), static_cast<UINT>(NIF_ICON));
  EXPECT_EQ(spy::calls[2].flags(), static_cast<UINT>(NIF_TIP));
  EXPECT_EQ(spy::calls[2].tip(), "Veilmark");
}

TEST_F(SysTrayTest, StoredIconThatIsNoPictureIsSkipped) {
  ox::Ptr<TestBag> bag(new TestBag);
  bag->Release();
  VARIANT text;
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = SysAllocString(L"not a picture");
  bag->Write(L"Icon", &text);
  VariantClear(&text);
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = SysAllocString(L"tip");
  bag->Write(L"Caption", &text);
  VariantClear(&text);
  const Control control = createControl();
  const ox::Ptr<IPictureDisp> icon = iconPicture();
  control.icon(icon.get());
  ASSERT_HRESULT_SUCCEEDED(control.as<IPersistPropertyBag>()->Load(bag.get(), nullptr));
  EXPECT_EQ(control.icon().get(), icon.get());
  EXPECT_EQ(control.caption(), L"tip");
}

TEST_F(SysTrayTest, StreamRoundTrip) {
  ox::Ptr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
  {
    const Control control = createControl();
    control.caption(L"Привет, Veilmark");
    control.icon(iconPicture().get());
    control.show(true);
    EXPECT_EQ(control.as<IPersistStreamInit>()->IsDirty(), S_OK);
    ASSERT_HRESULT_SUCCEEDED(control.as<IPersistStreamInit>()->Save(stream.get(), TRUE));
    EXPECT_EQ(control.as<IPersistStreamInit>()->IsDirty(), S_FALSE);
  }
  const LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  const Control loaded = createControl();
  ASSERT_HRESULT_SUCCEEDED(loaded.as<IPersistStreamInit>()->Load(stream.get()));
  EXPECT_TRUE(loaded.visible());
  EXPECT_EQ(loaded.caption(), L"Привет, Veilmark");
  const ox::Ptr<IPictureDisp> icon = loaded.icon();
  ASSERT_TRUE(icon);
  ox::Ptr<IPicture> picture;
  icon->QueryInterface(IID_IPicture, reinterpret_cast<void**>(picture.put()));
  SHORT type = 0;
  picture->get_Type(&type);
  EXPECT_EQ(type, PICTYPE_ICON);
}

// Counts the objects that anyone asks it to make, and makes none.
class CountingFactory final : public TestObject<IClassFactory> {
 public:
  int asked = 0;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** result) override {
    ++asked;
    *result = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  bool answers(REFIID iid) const override { return IsEqualIID(iid, IID_IClassFactory); }
};

// Saved data that names another class than the standard picture: nothing is
// created, and what can't be read is skipped like a failing property.
TEST_F(SysTrayTest, StreamCreatesNoClassButThePicture) {
  ox::Ptr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
  {
    const Control saved = createControl();
    saved.show(true);
    saved.icon(iconPicture().get());
    saved.caption(L"saved");
    ASSERT_HRESULT_SUCCEEDED(saved.as<IPersistStreamInit>()->Save(stream.get(), TRUE));
  }
  const CLSID foreign = {0x6f1d2c3a, 0x51e4, 0x4b8e, {0x9a, 0x27, 0x3c, 0x80, 0x11, 0x5d, 0xe2, 0x4f}};
  HGLOBAL memory = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetHGlobalFromStream(stream.get(), &memory));
  BYTE* bytes = static_cast<BYTE*>(GlobalLock(memory));
  const BYTE* picture = reinterpret_cast<const BYTE*>(&CLSID_StdPicture);
  BYTE* at = std::search(bytes, bytes + GlobalSize(memory), picture, picture + sizeof(CLSID));
  ASSERT_NE(at, bytes + GlobalSize(memory));
  std::memcpy(at, &foreign, sizeof foreign);
  GlobalUnlock(memory);
  ox::Ptr<CountingFactory> factory(new CountingFactory);
  factory->Release();
  DWORD registered = 0;
  ASSERT_HRESULT_SUCCEEDED(
      CoRegisterClassObject(foreign, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registered));

  const LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  const Control loaded = createControl();
  const ox::Ptr<IPictureDisp> icon = iconPicture();
  loaded.icon(icon.get());
  loaded.caption(L"before");
  EXPECT_HRESULT_SUCCEEDED(loaded.as<IPersistStreamInit>()->Load(stream.get()));
  CoRevokeClassObject(registered);
  EXPECT_EQ(factory->asked, 0);
  EXPECT_TRUE(loaded.visible());
  EXPECT_EQ(loaded.icon().get(), icon.get());
  EXPECT_EQ(loaded.caption(), L"before");
}

// A bag that answers in another type than asked: the value is not taken for
// what it is not. A null string is the empty text.
TEST_F(SysTrayTest, StoredValuesOfAnotherTypeAreSkipped) {
  ox::Ptr<TestBag> bag(new TestBag);
  bag->Release();
  bag->coerces = false;
  VARIANT& visible = bag->values[L"Visible"];
  V_VT(&visible) = VT_BSTR;
  V_BSTR(&visible) = SysAllocString(L"yes");
  VARIANT& caption = bag->values[L"Caption"];
  V_VT(&caption) = VT_UNKNOWN;
  const Control control = createControl();
  control.caption(L"before");
  ASSERT_HRESULT_SUCCEEDED(control.as<IPersistPropertyBag>()->Load(bag.get(), nullptr));
  EXPECT_FALSE(control.visible());
  EXPECT_TRUE(spy::calls.empty());
  EXPECT_EQ(control.caption(), L"before");
  V_VT(&caption) = VT_BSTR;
  ASSERT_HRESULT_SUCCEEDED(control.as<IPersistPropertyBag>()->Load(bag.get(), nullptr));
  EXPECT_EQ(control.caption(), L"");
}

// A host may let its last reference go while it hears of a change: the
// control ends when the call is over, and every sink hears of each change
// from a control that is still there.
TEST_F(SysTrayTest, HostLettingGoMidCallEndsTheControlAfterTheCall) {
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  ox::Ptr<TestBag> stored(new TestBag);
  stored->Release();
  V_VT(&stored->values[L"Visible"]) = VT_BOOL;
  V_BOOL(&stored->values[L"Visible"]) = VARIANT_TRUE;
  struct Case {
    const char* name;
    bool shown;  // hooked and shown before the sinks come
    std::function<void(Control&)> call;  // through a pointer that holds no count
    std::vector<DISPID> changed;
    bool inShellCall = false;  // the host lets go inside the shell call, not in OnChanged
  };
  const Case cases[] = {
      {"caption", false, [](Control& c) { c.caption(L"x"); }, {DISPID_TEXT}},
      {"init new", false,
       [](Control& c) {
         IPersistStreamInit* persist = c.as<IPersistStreamInit>().get();
         EXPECT_HRESULT_SUCCEEDED(persist->InitNew());
       },
       {DISPID_TEXT, kIcon}},
      {"load", false,
       [&](Control& c) {
         IPersistPropertyBag* persist = c.as<IPersistPropertyBag>().get();
         EXPECT_HRESULT_SUCCEEDED(persist->Load(stored.get(), nullptr));
       },
       {kVisible, kIcon, DISPID_TEXT, kVisible}},
      {"taskbar restart", true, [&](Control& c) { SendMessageW(c.window, taskbarCreated, 0, 0); },
       {kVisible, kVisible, kVisible}},
      // The last reference goes after the call, and Terminate hides the icon.
      {"caption, in the shell", true, [](Control& c) { c.caption(L"x"); }, {DISPID_TEXT, kVisible}, true},
      {"hidden, in the shell", true, [](Control& c) { c.show(false); }, {kVisible}, true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Control control = createControl(nullptr, test.shown);
    if (test.shown) control.show(true);
    ox::Ptr<ChangeSink> host(new ChangeSink), other(new ChangeSink);
    host->Release();
    other->Release();
    const auto letGo = [&] { control.tray = nullptr; };
    if (test.inShellCall)
      spy::duringShellCall = [&] { spy::duringShellCall = nullptr, letGo(); };
    else
      host->onChanged = [&](DISPID) { letGo(); };
    std::vector<bool> alive;
    other->onChanged = [&](DISPID) { alive.push_back(IsWindow(control.window)); };
    control.advise(host.get(), IID_IPropertyNotifySink);
    control.advise(other.get(), IID_IPropertyNotifySink);
    test.call(control);
    EXPECT_FALSE(IsWindow(control.window));
    EXPECT_EQ(other->changed, test.changed);
    EXPECT_EQ(alive, std::vector<bool>(test.changed.size(), true));
  }
}

void setModifiers(bool shift, bool ctrl, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST_F(SysTrayTest, MouseMessagesRaiseTheirEvents) {
  struct Case {
    LPARAM message;
    DISPID event;  // 0: none
    LONG button;
  };
  const Case cases[] = {
      {WM_MOUSEMOVE, 1, 0},     {WM_LBUTTONDOWN, 2, 1},   {WM_LBUTTONUP, 3, 1},   {WM_LBUTTONDBLCLK, 4, 1},
      {WM_RBUTTONDOWN, 2, 2},   {WM_RBUTTONUP, 3, 2},     {WM_RBUTTONDBLCLK, 4, 2}, {WM_MBUTTONDOWN, 2, 4},
      {WM_MBUTTONUP, 3, 4},     {WM_MBUTTONDBLCLK, 4, 4}, {0x1FF, 0, 0},          {0x20A, 0, 0},
      {0x402, 0, 0},            {0x405, 0, 0},
  };
  struct Keys {
    bool shift, ctrl, alt;
    LONG value;
  };
  const Keys modifiers[] = {{false, false, false, 0}, {true, false, false, 1}, {false, true, false, 2},
                            {false, false, true, 4},  {true, true, true, 7}};
  const Control control = createControl();
  ox::Ptr<EventSink> sink(new EventSink);
  sink->Release();
  control.advise(sink.get(), DIID___SysTray);
  control.show(true);
  for (const Keys& keys : modifiers) {
    setModifiers(keys.shift, keys.ctrl, keys.alt);
    for (const Case& test : cases) {
      SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << test.message << " shift " << keys.value);
      sink->raised.clear();
      SendMessageW(control.window, kTrayCallback, 0, test.message);
      if (!test.event) {
        EXPECT_TRUE(sink->raised.empty());
        continue;
      }
      const std::vector<LONG> arguments =
          test.event == 1 ? std::vector<LONG>{keys.value, 0} : std::vector<LONG>{test.button, keys.value, 0};
      EXPECT_EQ(sink->raised, (std::vector<RaisedEvent>{{test.event, arguments}}));
    }
  }
  setModifiers(false, false, false);
  sink->raised.clear();
  SendMessageW(control.window, kTrayCallback, 7, WM_RBUTTONUP);
  EXPECT_EQ(sink->raised, (std::vector<RaisedEvent>{{3, {2, 0, 7}}}));
}

TEST_F(SysTrayTest, HandlerHidingTheIconStillPassesTheMessageOn) {
  const Control control = createControl();
  PassedOn passedOn(control.window);
  ox::Ptr<EventSink> sink(new EventSink);
  sink->Release();
  sink->onEvent = [&](const RaisedEvent& event) {
    if (event.event == 3) control.show(false);
  };
  control.advise(sink.get(), DIID___SysTray);
  control.show(true);
  SendMessageW(control.window, kTrayCallback, 0, WM_LBUTTONUP);
  EXPECT_FALSE(control.visible());
  ASSERT_EQ(spy::calls.size(), 2u);
  EXPECT_EQ(spy::calls[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(passedOn.messages, std::vector<UINT>{kTrayCallback});
  EXPECT_TRUE(passedOn.isOutermost());
  EXPECT_EQ(GetPropA(control.window, "{B42988D0-98EC-4174-ABB3-EF0B08ED5E38}"), nullptr);
}

TEST_F(SysTrayTest, AttachAndDetachKeepTheCountAndTheProcedure) {
  const Control control = createControl();
  ox::Ptr<EventSink> sink(new EventSink);
  sink->Release();
  control.advise(sink.get(), DIID___SysTray);
  const LONG before = control.references();
  const LONG_PTR procedure = GetWindowLongPtrW(control.window, GWLP_WNDPROC);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    control.show(true);
    EXPECT_EQ(control.references(), before);
    EXPECT_NE(GetPropA(control.window, "{B42988D0-98EC-4174-ABB3-EF0B08ED5E38}"), nullptr);
    const LONG_PTR attached = GetWindowLongPtrA(control.window, GWLP_WNDPROC);
    control.show(false);
    EXPECT_EQ(control.references(), before);
    EXPECT_EQ(GetPropA(control.window, "{B42988D0-98EC-4174-ABB3-EF0B08ED5E38}"), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(control.window, GWLP_WNDPROC), procedure);
    // Put in front again by someone else, the control's procedure finds no
    // record of the detached window: it answers 0 and passes nothing on.
    PassedOn passedOn(control.window);
    SetWindowLongPtrA(control.window, GWLP_WNDPROC, attached);
    EXPECT_EQ(SendMessageW(control.window, kTrayCallback, 0, WM_LBUTTONUP), 0);
    EXPECT_TRUE(sink->raised.empty());
    EXPECT_TRUE(passedOn.messages.empty());
  }
}

TEST_F(SysTrayTest, ReleaseWhileShownDeletesTheIconAndFreesTheServer) {
  const auto canUnload =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"Lumicon.dll"), "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_OK);
  HWND window = nullptr;
  {
    Control control = createControl();
    window = control.window;
    control.show(true);
    EXPECT_EQ(canUnload(), S_FALSE);
    EXPECT_EQ(control.tray->AddRef(), 2u);
    EXPECT_EQ(control.tray->Release(), 1u);
  }
  ASSERT_EQ(spy::calls.size(), 2u);
  EXPECT_EQ(spy::calls[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(spy::calls[1].window(), window);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(canUnload(), S_OK);
  EXPECT_EQ(spy::lines.back().substr(0, 32), L"SysTray::Terminate() ==> hWnd = ");
}

}  // namespace
