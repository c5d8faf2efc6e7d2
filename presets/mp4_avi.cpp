#include "media_preset.h"

const PresetEntry aviPresets[] = {
    {"XviD FullScreen", "-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25", nullptr},
    {"XviD Widescreen", "-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 29.97 -vf scale=320:240", nullptr},
    {"XviD Widescreen Anamorphic", "-vcodec wmv2 -acodec wmav2 -b:v 1200k -b:a 160k -r 25 -vf scale=720:480", nullptr},
    {"MS Compatible AVI", "-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 23.97 -vf scale=320:240", nullptr},
    {nullptr, nullptr, nullptr},
};

const char* Mp4Avi::outputExtension(int) const
{
    return "avi";
}
