#pragma once

// Readies the heap for loading the scene file: room enough for its objects and their index in
// one stretch, faulted in with huge pages where the system offers them on request. Loading
// 100 000 objects touches some 20 MB of fresh memory, and a fault for every 4 KiB page of it
// cost a sixth of the load time. Does nothing when the file or the system does not allow it.
// Meant for a process about to load one scene, before it does.
void reserveHeapFor(const char* sceneFile);
