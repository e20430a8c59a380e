// What the library declares to its hosts: the type library's members and
// their dispatch identifiers, the events, the balloon kinds, the resources and
// the OLE attributes.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "host.h"
#include "import_patch.h"
#include "spy.h"

namespace {

HMODULE lumicon() { return GetModuleHandleW(L"Lumicon.dll"); }

ox::Ptr<ITypeInfo> typeInfoOf(REFGUID guid) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(lumicon(), path, MAX_PATH);
  ox::Ptr<ITypeLib> library;
  EXPECT_HRESULT_SUCCEEDED(LoadTypeLibEx(path, REGKIND_NONE, library.put()));
  ox::Ptr<ITypeInfo> info;
  EXPECT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid, info.put()));
  return info;
}

TEST(LumiconLibrary, DispatchIdentifiersAreFixed) {
  struct Case {
    const wchar_t* name;
    DISPID id;
  };
  const Case members[] = {{L"Icon", 0x68030001},         {L"Caption", DISPID_TEXT},
                          {L"Visible", 0x68030000},      {L"ShowBaloon", 0x6003000B},
                          {L"GetDefaultIcon", 0x6003000C}};
  const Control control = createControl();
  for (const Case& member : members) {
    SCOPED_TRACE(testing::Message() << std::wstring(member.name).size());
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member.name);
    ASSERT_HRESULT_SUCCEEDED(control.tray->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    EXPECT_EQ(id, member.id);
  }
  const Case events[] = {{L"MouseMove", 1}, {L"MouseDown", 2}, {L"MouseUp", 3}, {L"MouseDblClick", 4}};
  const ox::Ptr<ITypeInfo> source = typeInfoOf(DIID___SysTray);
  for (const Case& event : events) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(event.name);
    ASSERT_HRESULT_SUCCEEDED(source->GetIDsOfNames(&name, 1, &id));
    EXPECT_EQ(id, event.id);
  }
}

TEST(LumiconLibrary, PropertyBrowsersGroupCaptionAndVisible) {
  struct Case {
    const char* property;
    DISPID id;
    HRESULT status;
    int category;  // -2 Misc, -6 Behavior
  };
  const Case cases[] = {{"Caption", DISPID_TEXT, S_OK, -2},
                        {"Visible", 0x68030000, S_OK, -6},
                        {"Icon has no category", 0x68030001, E_FAIL, 0},
                        {"a method has none", 0x6003000B, E_FAIL, 0}};
  const Control control = createControl();
  const ox::Ptr<ICategorizeProperties> categories = control.as<ICategorizeProperties>();
  ASSERT_TRUE(categories);
  for (const Case& c : cases) {
    int category = 0;
    EXPECT_EQ(categories->MapPropertyToCategory(c.id, &category), c.status) << c.property;
    EXPECT_EQ(category, c.category) << c.property;
  }
}

TEST(LumiconLibrary, DeclaresTheCoclassAndTheBalloonKinds) {
  const Control control = createControl();
  ox::Ptr<ITypeInfo> coclass;
  ASSERT_HRESULT_SUCCEEDED(control.as<IProvideClassInfo2>()->GetClassInfo(coclass.put()));
  TYPEATTR* attributes = nullptr;
  ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_SysTray));
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCONTROL);
  coclass->ReleaseTypeAttr(attributes);
  GUID source = {};
  ASSERT_HRESULT_SUCCEEDED(control.as<IProvideClassInfo2>()->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  EXPECT_TRUE(IsEqualGUID(source, DIID___SysTray));

  const ox::Ptr<ITypeInfo> dual = typeInfoOf(IID__SysTray);
  ASSERT_HRESULT_SUCCEEDED(dual->GetTypeAttr(&attributes));
  EXPECT_EQ(attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE),
            TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE);
  dual->ReleaseTypeAttr(attributes);

  EXPECT_EQ(tbfNone, 0);
  EXPECT_EQ(tbfInfo, 1);
  EXPECT_EQ(tbfWarning, 2);
  EXPECT_EQ(tbfError, 3);
}

TEST(LumiconLibrary, InterfaceResourcesMatchTheTypeLibrary) {
  struct Case {
    const wchar_t* type;
    GUID iid;
  };
  const Case cases[] = {{L"_IID_SYSTRAY", IID__SysTray}, {L"_SRCIID_SYSTRAY", DIID___SysTray}};
  for (const Case& test : cases) {
    const HRSRC found = FindResourceW(lumicon(), MAKEINTRESOURCEW(1), test.type);
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(lumicon(), found), 20u);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(lumicon(), found)));
    DWORD length = 0;
    std::memcpy(&length, data, 4);
    EXPECT_EQ(length, 16u);
    EXPECT_EQ(std::memcmp(data + 4, &test.iid, 16), 0);
    const ox::Ptr<ITypeInfo> declared = typeInfoOf(test.iid);  // the library declares the same identifier
    EXPECT_TRUE(declared);
  }
}

// Nothing in the library may end the program that hosts it: it does not even
// import the calls that would.
TEST(LumiconLibrary, ImportsNothingThatEndsItsHost) {
  const HMODULE library = LoadLibraryW(L"Lumicon.dll");
  ASSERT_NE(library, nullptr);
  for (const char* function : {"ExitProcess", "TerminateProcess", "FatalAppExitW", "FatalAppExitA"})
    EXPECT_THROW(ImportPatch(library, "KERNEL32.dll", function, nullptr), std::runtime_error) << function;
  FreeLibrary(library);
}

TEST(LumiconLibrary, PicturesAndAttributes) {
  struct Case {
    const wchar_t* name;
    int width, height;
  };
  const Case bitmaps[] = {{L"BACK", 38, 38}, {MAKEINTRESOURCEW(30000), 16, 15}};
  for (const Case& test : bitmaps) {
    const HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(lumicon(), test.name, IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, test.width);
    EXPECT_EQ(info.bmHeight, test.height);
    DeleteObject(bitmap);
  }
  const Control control = createControl();
  ox::Ptr<IPictureDisp> standard;
  ASSERT_HRESULT_SUCCEEDED(control.tray->GetDefaultIcon(standard.put()));
  ox::Ptr<IPicture> picture;
  standard->QueryInterface(IID_IPicture, reinterpret_cast<void**>(picture.put()));
  SHORT type = 0;
  picture->get_Type(&type);
  EXPECT_EQ(type, PICTYPE_ICON);
  EXPECT_FALSE(control.icon());

  DWORD status = 0;
  ASSERT_HRESULT_SUCCEEDED(control.as<IOleObject>()->GetMiscStatus(DVASPECT_CONTENT, &status));
  EXPECT_EQ(status, 0x24591u);
  SIZEL extent = {};
  ASSERT_HRESULT_SUCCEEDED(control.as<IOleObject>()->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(extent.cx, 1005);  // 570 twips
  EXPECT_EQ(extent.cy, 1005);

  // The design-time face: the BACK bitmap drawn into the given rectangle.
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP target = CreateCompatibleBitmap(screen, 38, 38);
  const HGDIOBJ previous = SelectObject(dc, target);
  const RECTL bounds = {0, 0, 38, 38};
  ASSERT_HRESULT_SUCCEEDED(
      control.as<IViewObject2>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
  // Pixel for pixel the library's own BACK bitmap.
  const HBITMAP back =
      static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(L"Lumicon.dll"), L"BACK", IMAGE_BITMAP, 0, 0, 0));
  ASSERT_TRUE(back);
  const HDC backDc = CreateCompatibleDC(screen);
  const HGDIOBJ previousBack = SelectObject(backDc, back);
  int differing = 0;
  for (int y = 0; y < 38; ++y)
    for (int x = 0; x < 38; ++x) differing += GetPixel(dc, x, y) != GetPixel(backDc, x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_NE(GetPixel(dc, 0, 0), GetPixel(dc, 19, 19)) << "a face of one colour";
  SelectObject(backDc, previousBack);
  DeleteDC(backDc);
  DeleteObject(back);
  SelectObject(dc, previous);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace
