#pragma once

// Makes screen readers see every chat area as a read-only text named "Chat", whose whole text they can read piece
// by piece. Called by each chat area; installs once.
void InstallChatViewAccessibility();
