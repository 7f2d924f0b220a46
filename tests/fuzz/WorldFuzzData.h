// A small data folder of reference lists for the fuzz targets that load sprite managers.
#pragma once

#include "core/world/WorldContext.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace worldfuzz {

inline void WriteText(const std::filesystem::path& path, const char* text)
{
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs(text, f);
        std::fclose(f);
    }
}

// Makes (once) a folder with every list the sprite manager reads, and makes it the data folder.
inline void UseFuzzDataFolder()
{
    static const std::string folder = [] {
        auto dir = std::filesystem::temp_directory_path() / ("zr_world_fuzz_data_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "Sprites");
        WriteText(dir / "Agency.csv", "h\nPolice Dept,Police,\nFire Dept,Fire,\nOdd,Nothing,\nEMS,EMS,\n");
        WriteText(dir / "ZR_Unit-Task_List.csv",
                  "h\nh\nh\n1,Police,Officer,Car,1,1,1,1,1,1,t,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,\n"
                  "2,Fire,Crew,Engine,1,1,1,1,1,1,t,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,\n");
        WriteText(dir / "Terrain_Features_List.csv",
                  "h\nh\nh\n1,A,a,0,1,1,0%,0,0,0,0,0,0,0,\n2,B,b,0,1,2,50%,6,1,1,2,0,0,1,\n"
                  "3,C,c,0,1,3,0%,0,0,0,1,0,0,0,\n4,D,d,0,1,4,0%,0,0,0,0,0,0,0,\n5,M,m,0,1,5,0%,0,0,0,0,0,0,0,\n");
        WriteText(dir / "Area_Map_Stations_List.csv",
                  "h\nh\nh\n1,Police,P,s,3,0%,0,0,0,0,1,\n2,Incident Site,I,s,3,0%,0,0,0,0,2,\n");
        WriteText(dir / "ZR_Vehicle-Task_List.csv", "h\nh\nh\n1,Police,Car,1,4,1,1,1,1,1,1,1,1,1,1,1,1,\n");
        // The bitmaps are there (empty), so no lookup has to search a folder for them.
        for (const char* name : {"Police_P", "Fire_P", "Police_V", "a_32", "a_8", "b_32", "b_8", "c_32", "c_8", "d_32",
                                 "d_8", "m_32", "m_8", "s_32", "s_8"})
            WriteText(dir / "Sprites" / (std::string(name) + ".bmp"), "");
        WriteText(dir / "SpriteModifiers.txt", "m\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\nm\n");
        return dir.string();
    }();
    WorldContext().m_strDataFolder = folder;
}

} // namespace worldfuzz
