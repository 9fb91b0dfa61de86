#pragma once
// A game folder in a temporary prefix, with package files and the stand-in tool as its
// System\ucc.exe, so that jobs really run: runner, bundled interpreter and tool.

#include "support/TempPrefix.h"

#include <QCoreApplication>

#include <filesystem>
#include <map>
#include <string>

namespace tolvane::test {

struct GameFolder {
    GameFolder() {
        prefix.addDrive('Z', "/");
        prefix.setGameFolder("C:\\UnrealTournament");
        for (const char* name : {"Alpha.unr", "Beta.unr", "Gamma.unr"}) {
            packages[name] = package(name);
            prefix.makeFile(std::string("UnrealTournament/Maps/") + name, packages[name]);
        }
        for (const char* folder : {"Compressed", "Decompressed", "System"}) {
            prefix.makeFolder(std::string("UnrealTournament/") + folder);
        }
        std::filesystem::copy_file(binary("ucc-standin"), system() / "ucc.exe");
    }

    static std::string package(const std::string& name) {
        std::string bytes = "\xC1\x83\x2A\x9E";
        for (int i = 0; i < 200; ++i) {
            bytes += name + " object " + std::to_string(i) + "\n";
        }
        return bytes;
    }
    static std::filesystem::path binary(const std::string& name) {
        return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / name;
    }
    std::filesystem::path game() const { return prefix.driveC() / "UnrealTournament"; }
    std::filesystem::path system() const { return game() / "System"; }
    std::filesystem::path compressed() const { return game() / "Compressed"; }
    std::filesystem::path decompressed() const { return game() / "Decompressed"; }

    TempPrefix prefix;
    std::map<std::string, std::string> packages;
};

} // namespace tolvane::test
