// Placeholder until the folder's first real source lands.
