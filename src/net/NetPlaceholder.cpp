// Online services, filled in by the network layer.
