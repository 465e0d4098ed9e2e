/* Loaded into melodek.exe by the probe ("probe high-contrast"): Wine always
   reports Windows' high-contrast mode off and cannot switch it on, so this
   library answers SPI_GETHIGHCONTRAST for the program instead: on while its
   event "melodek-test-high-contrast" is set. It patches the program's import
   table entries of SystemParametersInfoW and -A; everything else passes on. */
#include <windows.h>

typedef BOOL(WINAPI* ParametersInfo)(UINT action, UINT number, PVOID data, UINT flags);

static ParametersInfo realW;
static ParametersInfo realA;
static HANDLE on;

static BOOL ContrastOn(UINT action, PVOID data, BOOL wide) {
  if (action != SPI_GETHIGHCONTRAST || data == NULL || WaitForSingleObject(on, 0) != WAIT_OBJECT_0) return FALSE;
  if (wide) {
    HIGHCONTRASTW* contrast = (HIGHCONTRASTW*)data;
    contrast->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
    contrast->lpszDefaultScheme = NULL;
  } else {
    HIGHCONTRASTA* contrast = (HIGHCONTRASTA*)data;
    contrast->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
    contrast->lpszDefaultScheme = NULL;
  }
  return TRUE;
}

static BOOL WINAPI HookW(UINT action, UINT number, PVOID data, UINT flags) {
  return ContrastOn(action, data, TRUE) || realW(action, number, data, flags);
}

static BOOL WINAPI HookA(UINT action, UINT number, PVOID data, UINT flags) {
  return ContrastOn(action, data, FALSE) || realA(action, number, data, flags);
}

/* Points the program's import of user32!name at hook; returns the old target. */
static void* Patch(const char* name, void* hook) {
  BYTE* base = (BYTE*)GetModuleHandleW(NULL);
  IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY* directory = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  IMAGE_IMPORT_DESCRIPTOR* import = (IMAGE_IMPORT_DESCRIPTOR*)(base + directory->VirtualAddress);
  for (; directory->VirtualAddress != 0 && import->Name != 0; ++import) {
    if (lstrcmpiA((const char*)(base + import->Name), "user32.dll") != 0) continue;
    IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + import->OriginalFirstThunk);
    IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      IMAGE_IMPORT_BY_NAME* entry = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
      if (lstrcmpA((const char*)entry->Name, name) != 0) continue;
      DWORD old = 0;
      void* previous = (void*)slots->u1.Function;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      slots->u1.Function = (ULONG_PTR)hook;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      return previous;
    }
  }
  return NULL;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  realW = (ParametersInfo)(void*)GetProcAddress(user32, "SystemParametersInfoW");
  realA = (ParametersInfo)(void*)GetProcAddress(user32, "SystemParametersInfoA");
  on = CreateEventW(NULL, TRUE, TRUE, L"melodek-test-high-contrast");
  Patch("SystemParametersInfoW", (void*)HookW);
  Patch("SystemParametersInfoA", (void*)HookA);
  return on != NULL;
}
