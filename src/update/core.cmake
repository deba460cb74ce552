# Sources of this subsystem's core part are added here.
