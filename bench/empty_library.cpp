// An empty shared library: the baseline for the cost of loading one.
extern "C" __attribute__((visibility("default"))) int VelmoraBenchEmpty() { return 0; }
