// The few Win32 types and constants that portable code needs, with the platform's own values.
// Win32 sources include <windows.h> before this header; every name here is then already defined.
#pragma once

#include <cstdint>

#ifndef _WINDEF_
typedef struct HKEY__* HKEY;
typedef struct HWND__* HWND;
#endif

#ifndef HKEY_CLASSES_ROOT
#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)(int32_t)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)(int32_t)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)(int32_t)0x80000002)
#define HKEY_USERS ((HKEY)(uintptr_t)(int32_t)0x80000003)
#endif

#ifndef REG_SZ
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#endif

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_KEY_DELETED 1018L
#define ERROR_TIMEOUT 1460L
#endif

#ifndef ERROR_PROCESS_ABORTED
#define ERROR_PROCESS_ABORTED 1067L
#endif

#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#endif

#ifndef MB_OK
#define MB_OK 0x00000000U
#define MB_YESNO 0x00000004U
#define MB_ICONQUESTION 0x00000020U
#define MB_ICONEXCLAMATION 0x00000030U
#define MB_ICONINFORMATION 0x00000040U
#define MB_DEFBUTTON2 0x00000100U
#endif

#ifndef SW_HIDE
#define SW_HIDE 0
#define SW_SHOW 5
#endif

#ifndef SEE_MASK_NOCLOSEPROCESS
#define SEE_MASK_NOCLOSEPROCESS 0x00000040U
#define SEE_MASK_FLAG_DDEWAIT 0x00000100U
#define SEE_MASK_FLAG_NO_UI 0x00000400U
#endif

#ifndef OFN_HIDEREADONLY
#define OFN_HIDEREADONLY 0x00000004U
#define OFN_NOCHANGEDIR 0x00000008U
#define OFN_FILEMUSTEXIST 0x00001000U
#endif

#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef LBN_SELCHANGE
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LB_ERR (-1)
#endif
#ifndef EN_CHANGE
#define EN_CHANGE 0x0300
#endif
#ifndef UDN_DELTAPOS
#define UDN_DELTAPOS (-722)
#endif

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#ifndef WINAPI
#if defined(__i386__)
#define WINAPI __attribute__((stdcall))
#else
#define WINAPI
#endif
#endif
