// bass-check.exe: checks our bass.dll under Wine (tests/windows/bass_test.sh runs it). Each
// command is one check; exit code 0 when it holds, 1 with a line saying what was seen.
#include "Bass.h"
#include "Mp3Decoder.h"
#include "Spectrum.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

int Check(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    return ok ? 0 : 1;
}

double Now()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HSTREAM OpenAndPlay(const char* mp3)
{
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr))
        return 0;
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, mp3, 0, 0, BASS_STREAM_PRESCAN);
    if (!stream)
        return 0;
    BASS_Start();
    BASS_ChannelPlay(stream, FALSE);
    return stream;
}

double Seconds(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
}

// The decode through the system's codec against the Linux layer's, sample by sample.
int CheckDecode(const char* mp3, const char* referencePcm, int tolerance)
{
    DecodedMusic music;
    if (!DecodeMp3File(mp3, music))
        return Check(false, "decode");
    std::FILE* file = std::fopen(referencePcm, "rb");
    if (!file)
        return Check(false, "reference PCM missing (run scripts/windows-build)");
    std::vector<std::int16_t> reference;
    std::int16_t chunk[8192];
    std::size_t read = 0;
    while ((read = std::fread(chunk, sizeof chunk[0], 8192, file)) > 0)
        reference.insert(reference.end(), chunk, chunk + read);
    std::fclose(file);

    int largest = 0;
    std::size_t largestAt = 0;
    const std::size_t common = std::min(reference.size(), music.samples.size());
    for (std::size_t i = 0; i < common; ++i)
    {
        const int difference = std::abs(int{music.samples[i]} - int{reference[i]});
        if (difference > largest)
        {
            largest = difference;
            largestAt = i / 2;
        }
    }
    std::printf("decode: %zu frames (Linux %zu), largest difference %d at frame %zu\n",
                music.samples.size() / 2, reference.size() / 2, largest, largestAt);
    return Check(music.samples.size() == reference.size() && largest <= tolerance,
                 "same length and samples as the Linux decode");
}

// The position over `seconds` of wall time: real-time speed within 1 %, never going back.
int CheckPosition(const char* mp3, double seconds)
{
    const HSTREAM stream = OpenAndPlay(mp3);
    if (!stream)
        return Check(false, "init and open");
    while (Seconds(stream) <= 0.0)
        Sleep(1);
    const double startWall = Now();
    const double startMusic = Seconds(stream);
    double previous = startMusic;
    bool monotonic = true;
    double wall = 0.0;
    double music = 0.0;
    do
    {
        Sleep(3);
        music = Seconds(stream);
        wall = Now() - startWall;
        monotonic = monotonic && music >= previous;
        previous = music;
        BASS_Update(0);
    } while (wall < seconds);
    const double ratio = (music - startMusic) / wall;
    std::printf("position: %.4f s of music in %.4f s (ratio %.5f), ended at %.3f s\n",
                music - startMusic, wall, ratio, music);
    BASS_StreamFree(stream);
    BASS_Free();
    return Check(monotonic && std::fabs(ratio - 1.0) < 0.01,
                 "position monotonic at real-time speed within 1 %");
}

// A tone on bin 40 at half scale on both channels reads about 0.25 there and little elsewhere.
int CheckSpectrum(const char* toneMp3)
{
    const HSTREAM stream = OpenAndPlay(toneMp3);
    if (!stream)
        return Check(false, "init and open");
    while (Seconds(stream) < 0.5)
        Sleep(5);
    float bins[SpectrumBins] = {};
    const DWORD bytes = BASS_ChannelGetData(stream, bins, BASS_DATA_FFT2048);
    const std::size_t peak = static_cast<std::size_t>(std::max_element(bins, bins + 1024) - bins);
    float elsewhere = 0.0f;
    for (std::size_t k = 0; k < SpectrumBins; ++k)
        if (k + 2 < peak || k > peak + 2)
            elsewhere = std::max(elsewhere, bins[k]);
    std::printf("spectrum: %lu bytes, peak bin %zu at %.4f, elsewhere at most %.4f\n",
                static_cast<unsigned long>(bytes), peak, bins[peak], elsewhere);
    BASS_StreamFree(stream);
    BASS_Free();
    return Check(bytes == 2048 * 4 && peak == 40 && std::fabs(bins[40] - 0.25f) < 0.02f &&
                     elsewhere < 0.01f,
                 "tone on bin 40 read there");
}

MMRESULT WINAPI FailingWaveOutWrite(HWAVEOUT, LPWAVEHDR, UINT)
{
    return MMSYSERR_NODRIVER;
}

MMRESULT WINAPI FailingWaveOutGetPosition(HWAVEOUT, LPMMTIME, UINT)
{
    return MMSYSERR_NODRIVER;
}

// Points bass.dll's import of winmm's `name` at `replacement`: a device failing under it, as a
// driver does when its device is unplugged.
bool ReplaceBassImport(const char* name, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA("bass.dll"));
    if (!base)
        return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module)
    {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "winmm.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots)
        {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<const char*>(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(
                                                              base + names->u1.AddressOfData)
                                                              ->Name),
                            name) != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// The device fails a second into the music: the position runs on at real time from where it was.
int CheckLostDevice(const char* mp3)
{
    const HSTREAM stream = OpenAndPlay(mp3);
    if (!stream)
        return Check(false, "init and open");
    while (Seconds(stream) < 1.0)
        Sleep(5);
    const double beforeFault = Seconds(stream);
    if (!ReplaceBassImport("waveOutWrite", reinterpret_cast<void*>(FailingWaveOutWrite)) ||
        !ReplaceBassImport("waveOutGetPosition",
                           reinterpret_cast<void*>(FailingWaveOutGetPosition)))
        return Check(false, "bass.dll imports waveOutWrite and waveOutGetPosition from winmm.dll");
    Sleep(100); // the feeder thread meets the failing device
    const double startWall = Now();
    const double startMusic = Seconds(stream);
    double music = startMusic;
    bool monotonic = true;
    while (Now() - startWall < 2.0)
    {
        Sleep(3);
        const double next = Seconds(stream);
        monotonic = monotonic && next >= music;
        music = next;
    }
    const double ratio = (music - startMusic) / (Now() - startWall);
    std::printf("lost device: %.3f s before the fault, %.3f s after it, then ratio %.5f\n",
                beforeFault, startMusic, ratio);
    BASS_StreamFree(stream);
    BASS_Free();
    return Check(monotonic && startMusic >= beforeFault && startMusic < beforeFault + 0.2 &&
                     std::fabs(ratio - 1.0) < 0.01,
                 "the position runs on at real time from where the device failed");
}

int CheckNoDevice()
{
    return Check(BASS_Init(-1, 44100, 0, nullptr, nullptr) == 0,
                 "BASS_Init fails without a device");
}

int CheckBadFile(const char* path)
{
    const bool init = BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0;
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path, 0, 0, BASS_STREAM_PRESCAN);
    const bool freed = BASS_Free() != 0;
    return Check(init && stream == 0 && freed, "a bad file gives stream 0");
}

// What bass.dll said to the debugger: OutputDebugString raises DBG_PRINTEXCEPTION_C, which a
// vectored handler sees before any debugger would.
std::string debuggerOutput;

LONG WINAPI CatchDebuggerOutput(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode != DBG_PRINTEXCEPTION_C || record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    debuggerOutput.append(reinterpret_cast<const char*>(record.ExceptionInformation[1]),
                          static_cast<std::size_t>(record.ExceptionInformation[0]));
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Why a music file was refused reaches the debugger's output, where a program started from
// Explorer (no stderr) can still be asked.
int CheckReasonForTheDebugger(const char* path)
{
    AddVectoredExceptionHandler(1, CatchDebuggerOutput);
    const bool init = BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0;
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path, 0, 0, BASS_STREAM_PRESCAN);
    BASS_Free();
    std::printf("debugger output: %s", debuggerOutput.c_str());
    return Check(init && stream == 0 &&
                     debuggerOutput.find(std::string("Failed to decode ") + path) == 0,
                 "the reason a file is refused is written to the debugger's output");
}

// Stands for waveOut while the process exits: reached only if bass.dll tears its player down
// at DLL detach, under the loader lock.
MMRESULT WINAPI WaveOutAtExit(HWAVEOUT)
{
    const char line[] = "FAILED: bass.dll calls waveOut as the process exits\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, sizeof line - 1, &written, nullptr);
    TerminateProcess(GetCurrentProcess(), 1);
    return MMSYSERR_ERROR;
}

// The programs exit after a failed start with the music playing and nothing released: bass.dll
// must then do nothing at detach that waits on its thread or calls waveOut.
int CheckExitWhilePlaying(const char* mp3)
{
    const HSTREAM stream = OpenAndPlay(mp3);
    if (!stream)
        return Check(false, "init and open");
    while (Seconds(stream) < 0.2)
        Sleep(5);
    if (!ReplaceBassImport("waveOutReset", reinterpret_cast<void*>(WaveOutAtExit)) ||
        !ReplaceBassImport("waveOutClose", reinterpret_cast<void*>(WaveOutAtExit)))
        return Check(false, "bass.dll imports waveOutReset and waveOutClose from winmm.dll");
    std::fflush(stdout);
    return Check(true, "exits with the music playing and nothing released");
}

} // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "no-device") == 0 && argc == 2)
        return CheckNoDevice();
    if (std::strcmp(command, "bad-file") == 0 && argc == 3)
        return CheckBadFile(argv[2]);
    if (std::strcmp(command, "decode") == 0 && argc == 5)
        return CheckDecode(argv[2], argv[3], std::atoi(argv[4]));
    if (std::strcmp(command, "position") == 0 && argc == 4)
        return CheckPosition(argv[2], std::atof(argv[3]));
    if (std::strcmp(command, "spectrum") == 0 && argc == 3)
        return CheckSpectrum(argv[2]);
    if (std::strcmp(command, "lost-device") == 0 && argc == 3)
        return CheckLostDevice(argv[2]);
    if (std::strcmp(command, "reason-for-the-debugger") == 0 && argc == 3)
        return CheckReasonForTheDebugger(argv[2]);
    if (std::strcmp(command, "exit-while-playing") == 0 && argc == 3)
        return CheckExitWhilePlaying(argv[2]);
    std::fputs("usage: bass-check no-device | bad-file MP3 | decode MP3 REF.pcm TOLERANCE |\n"
               "       position MP3 SECONDS | spectrum TONE.mp3 | lost-device MP3 |\n"
               "       reason-for-the-debugger BAD.mp3 | exit-while-playing MP3\n",
               stderr);
    return 2;
}
