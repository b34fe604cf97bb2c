// What FFmpeg's own tools find in a movie file: ffprobe's view of the video stream and its
// frames, and the frames decoded back to pixels.
#pragma once

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace vorn {

inline std::string CommandOutput(const std::string& command) {
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
    return out;
}

// "codec,width,height,frames in the header" of the video stream, then "+" for each key frame
// and "-" for any other, as in "rawvideo,5,3,3 +++".
inline std::string Probe(const std::string& path) {
    const std::string probe = "ffprobe -v error -select_streams v:0 -of csv=p=0 -show_entries ";
    std::string frames;
    std::istringstream lines(CommandOutput(probe + "frame=key_frame '" + path + "'"));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            frames += line[0] == '1' ? '+' : '-';
    std::string stream =
        CommandOutput(probe + "stream=codec_name,width,height,nb_frames '" + path + "'");
    return stream.substr(0, stream.find('\n')) + " " + frames;
}

// Every frame decoded as 24-bit BGR pixels, top row first, rows unpadded.
inline std::string DecodedBgr(const std::string& path) {
    return CommandOutput("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt bgr24 -");
}

} // namespace vorn
