#pragma once
// What the HUD tests share: small PNG files written on the spot and a button
// handler that records what it was told.

#include <png.h>

#include <string>
#include <vector>

#include "interact/HUDEventHandler.h"
#include "wml/Vector2.h"

namespace hudtest {

/// Writes a width x height PNG of one colour; false when it cannot.
inline bool WritePng(const std::string& path, int width, int height, unsigned char r, unsigned char g,
                     unsigned char b, unsigned char a = 255)
{
    std::vector<unsigned char> pixels(size_t(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = r;
        pixels[i + 1] = g;
        pixels[i + 2] = b;
        pixels[i + 3] = a;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

struct RecordingHandler : vynui::HUDButtonEventHandler {
    int activations = 0, presses = 0, drags = 0, releases = 0;
    Wml::Vector2<float> lastPress{0, 0}, dragSum{0, 0}, lastRelease{0, 0};
    void OnActivate() override { ++activations; }
    void OnPress(const Wml::Vector2<float>& p) override
    {
        ++presses;
        lastPress = p;
    }
    void OnDrag(const Wml::Vector2<float>& d) override
    {
        ++drags;
        dragSum += d;
    }
    void OnRelease(const Wml::Vector2<float>& p) override
    {
        ++releases;
        lastRelease = p;
    }
};

}  // namespace hudtest
