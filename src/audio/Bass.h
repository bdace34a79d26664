// Our declarations of the ten BASS calls the program makes. On Windows they are imported from
// bass.dll (the real library or ours); ours, and the calls elsewhere, are Bass.cpp over the
// platform's AudioOutput.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
using DWORD = std::uint32_t;
using BOOL = int;
#endif
using QWORD = std::uint64_t;
using HSTREAM = DWORD;

#if defined(_WIN32) && defined(OMBREL_BASS_BUILD)
#define BASSDEF(type) extern "C" __declspec(dllexport) type __stdcall
#elif defined(_WIN32)
#define BASSDEF(type) extern "C" __declspec(dllimport) type __stdcall
#else
#define BASSDEF(type) extern "C" type
#endif

constexpr DWORD BASS_STREAM_PRESCAN = 0x20000;
constexpr DWORD BASS_DATA_FFT2048 = 0x80000003;
constexpr DWORD BASS_POS_BYTE = 0;

BASSDEF(BOOL) BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid);
BASSDEF(BOOL) BASS_Free();
BASSDEF(BOOL) BASS_Start();
BASSDEF(BOOL) BASS_Update(DWORD length);
BASSDEF(HSTREAM)
BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
BASSDEF(BOOL) BASS_StreamFree(HSTREAM handle);
BASSDEF(BOOL) BASS_ChannelPlay(DWORD handle, BOOL restart);
BASSDEF(DWORD) BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
BASSDEF(QWORD) BASS_ChannelGetPosition(DWORD handle, DWORD mode);
BASSDEF(double) BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
