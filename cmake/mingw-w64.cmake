# Cross-building for 64-bit Windows from Debian with MinGW-w64 (posix threads), against the
# project's Windows SDK (Qt, OpenSSL, libusb) in OVK_WINDOWS_SDK. Programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OVK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${OVK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OVK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${OVK_MINGW}-windres)

if(NOT OVK_WINDOWS_SDK)
    set(OVK_WINDOWS_SDK "$ENV{OVK_WINDOWS_SDK}")
endif()
if(NOT IS_DIRECTORY "${OVK_WINDOWS_SDK}/lib/cmake/Qt5")
    message(FATAL_ERROR "OVK_WINDOWS_SDK must name the Windows SDK (scripts/windows-sdk)")
endif()
set(OVK_WINDOWS_SDK "${OVK_WINDOWS_SDK}" CACHE PATH "The Windows SDK" FORCE)
# CMake's own test projects read this file again: they need the SDK too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OVK_WINDOWS_SDK)

# Headers, libraries and CMake packages from MinGW and the SDK; programs (moc, rcc) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${OVK_MINGW} ${OVK_WINDOWS_SDK})
set(CMAKE_PREFIX_PATH ${OVK_WINDOWS_SDK})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(ENV{PKG_CONFIG_LIBDIR} ${OVK_WINDOWS_SDK}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# lupdate and lrelease are the host's (Debian's qttools5-dev): the SDK has none.
file(GLOB OVK_HOST_LINGUIST_TOOLS /usr/lib/*-linux-gnu/cmake/Qt5LinguistTools)
set(Qt5LinguistTools_DIR "${OVK_HOST_LINGUIST_TOOLS}" CACHE PATH "The host's Qt linguist tools")
