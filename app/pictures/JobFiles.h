#pragma once
// The names of a PNG job's files, each written here only: the window writes
// them, the batch file names them, the timer looks for the marker and the
// shut-down removes what is left.

// Line 1's program; the job runner finds it as kConverterFileName.
inline constexpr char kConverterCommand[] = "png2ico";
inline constexpr char kConverterFileName[] = "png2ico.exe";
inline constexpr char kJobBatchFileName[] = "png2ico.bat";
// Created by line 2 when the converter has ended.
inline constexpr char kJobMarkerFileName[] = "overpng2ico.tmp";
