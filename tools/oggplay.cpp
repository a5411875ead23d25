// Plays an Ogg Vorbis file through the sound manager, for trying sounds by
// hand:
//   oggplay FILE [--loop] [--volume V] [--seconds S]
// FILE is a path on disk. The sound plays once (or loops until the time
// given by --seconds, 10 s by default) at the volume given (0 to 1).

#include "framework/core/log/TLog.h"
#include "framework/sound/asset/TSound.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/sound/source/TSoundDataSource.h"
#include "framework/sound/stream/TSoundInstance.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    const char* file = nullptr;
    bool loop = false;
    float volume = 1.0f;
    double limit = 10.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--loop") == 0) {
            loop = true;
        } else if (std::strcmp(argv[i], "--volume") == 0 && i + 1 < argc) {
            volume = static_cast<float>(std::atof(argv[++i]));
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            limit = std::atof(argv[++i]);
        } else if (!file) {
            file = argv[i];
        } else {
            file = nullptr;
            break;
        }
    }
    if (!file) {
        std::fprintf(stderr, "usage: oggplay FILE [--loop] [--volume V] [--seconds S]\n");
        return 2;
    }
    // Log lines go nowhere without a folder: say what happens on the terminal.
    TSoundManager manager;
    if (!manager.Init()) {
        std::fprintf(stderr, "oggplay: no sound output; playing silently\n");
    }
    RegisterOggDataSourceBuilder();
    manager.SetMasterVolume(volume);

    std::string name = std::string("::") + file;
    std::shared_ptr<TSound> sound = TSound::Get(name.c_str(), true, -1);
    if (!sound) {
        std::fprintf(stderr, "oggplay: %s is not an Ogg Vorbis file that opens\n", file);
        return 1;
    }
    std::shared_ptr<TSoundInstance> instance = sound->Play(loop);
    if (!instance) {
        std::fprintf(stderr, "oggplay: the sound did not start\n");
        return 1;
    }
    std::printf("playing %s%s\n", file, loop ? " (looping)" : "");
    auto start = std::chrono::steady_clock::now();
    while (instance->GetStream()) {
        manager.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed.count() > (loop ? limit : limit + 600.0)) {
            sound->StopAll();
        }
    }
    return 0;
}
