// What ffprobe and ffmpeg (not ours) read from a media file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One stream's fields as ffprobe prints them (codec_type, codec_name, width,
// height, r_frame_rate, nb_frames, nb_read_packets, duration, sample_rate, ...).
using ProbedStream = std::map<std::string, std::string>;

// Every stream of the file; empty when ffprobe cannot read it.
std::vector<ProbedStream> ProbeStreams(const std::string& path);

// "K" or "_" per packet of the first stream of a type ("v" or "a"), in file order.
std::string PacketKeyFlags(const std::string& path, const std::string& streamType);

// File positions of the packets of the first stream of a type.
std::vector<int64_t> PacketPositions(const std::string& path, const std::string& streamType);

// The video decoded by ffmpeg as top-down rows of 24-bit BGR without padding,
// all frames one after the other.
std::vector<uint8_t> DecodeVideoBgr24(const std::string& path, const std::string& extraFilter = "");
