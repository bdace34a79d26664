// The presentation's one source of randomness: unseeded rand(), so every run is the same.
#pragma once

// (rand() mod 32767) / 32767: a value in [0, 32766/32767].
float RandomUnit();
